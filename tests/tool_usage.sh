#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Each data tool, run by its installed command name: --help prints its usage
# on standard output with status 0, a wrong argument prints it on standard
# error with status 2, and the usage's lines are the SYNOPSIS of its manual
# page as man shows it; a SYNOPSIS line "COMMAND --help" may be left out of
# the usage, which need not say how to ask for itself.
# Arguments: the folder of the built tools, the folder of the manual pages.
set -uo pipefail
TOOLS=$(cd "$1" && pwd)
MAN=$2

# installed command | built program | why the row may be absent (empty: never)
ROWS=(
    "quorvex-encode-foods|encode-foods|"
    "quorvex-import-sr|import-sr|"
    "quorvex-import-fdc|import-fdc|the FoodData Central importer is not built yet"
)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
fail() {
    echo "FAIL: $1: $2" >&2
    status=1
    row_failed=1
}

# The usage's command lines: from the line that starts with "usage: ", with
# that word off, through the indented lines that follow; blanks squeezed.
usage_lines() {
    awk '!found { if (sub(/^[Uu]sage: /, "")) { found = 1; $1 = $1; print } next }
         !/^[ \t]/ { exit }
         { $1 = $1; print }'
}

# The SYNOPSIS section as groff lays it out in ASCII, without hyphenation
# or wrapping, blanks squeezed. Glyphs ASCII lacks elsewhere in the page
# are no concern here.
synopsis_lines() {
    groff -man -Tascii -rLL=250n -rHY=0 -P-cbou "$1" 2>/dev/null |
        awk '/^[A-Z]/ { inside = $0 == "SYNOPSIS"; next } inside && NF { $1 = $1; print }'
}

# Whether the usage lines in $1 are the SYNOPSIS, whole or without its
# "COMMAND --help" line.
is_synopsis() {
    cmp -s "$1" "$scratch/synopsis" || cmp -s "$1" "$scratch/short"
}

for row in "${ROWS[@]}"; do
    IFS='|' read -r command built absent_reason <<<"$row"
    page="$MAN/$command.1"
    row_failed=0
    if [ ! -x "$TOOLS/$built" ]; then
        if [ -n "$absent_reason" ]; then
            echo "SKIPPED: $command: $absent_reason"
        else
            fail "$command" "no program $TOOLS/$built"
        fi
        continue
    fi
    [ -f "$page" ] || { fail "$command" "no manual page $page"; continue; }
    ln -sf "$TOOLS/$built" "$scratch/$command"

    "$scratch/$command" --help >"$scratch/out" 2>"$scratch/err"
    help_status=$?
    [ "$help_status" -eq 0 ] || fail "$command" "--help exits with $help_status, not 0"
    [ ! -s "$scratch/err" ] || fail "$command" "--help writes on standard error"
    usage_lines <"$scratch/out" >"$scratch/usage"
    [ -s "$scratch/usage" ] || fail "$command" "--help prints no \"usage: \" line"
    synopsis_lines "$page" >"$scratch/synopsis"
    grep -vxF -- "$command --help" "$scratch/synopsis" >"$scratch/short"
    is_synopsis "$scratch/usage" ||
        diff -u --label "man $command: SYNOPSIS" --label "$command --help" \
            "$scratch/synopsis" "$scratch/usage" ||
        fail "$command" "the usage differs from the manual page's SYNOPSIS"

    "$scratch/$command" --no-such-option >"$scratch/out" 2>"$scratch/err"
    wrong_status=$?
    [ "$wrong_status" -eq 2 ] || fail "$command" "a wrong argument exits with $wrong_status, not 2"
    [ ! -s "$scratch/out" ] || fail "$command" "a wrong argument writes on standard output"
    usage_lines <"$scratch/err" >"$scratch/usage"
    is_synopsis "$scratch/usage" ||
        fail "$command" "a wrong argument does not print the manual page's usage on standard error"
    [ "$row_failed" -eq 1 ] || echo "ok: $command"
done
exit $status
