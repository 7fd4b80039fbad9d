# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# End-to-end test library: runs the real program on a private X display
# with a real window manager and drives it as a user would. Sourced by the
# drivers in this folder (bash), never run on its own.
#
# A driver does:
#     source "$(dirname "$0")/lib.sh"
#     e2e_begin "$@"                   # root check, private /var/tmp, X, openbox
#     e2e_start_program "$QUORVEX" "$DATA"
#     ...checks, each through e2e_check or e2e_fail...
#     e2e_end                          # exits 0, 1 (a check failed) or 77 (skipped)
#
# Requires root (mount namespace, tmpfs on /var/tmp); otherwise the driver
# exits 77, which CTest reports as skipped, saying why. Tools used: Xvfb,
# openbox, xdotool, xprop, xwininfo, ImageMagick (import, convert, compare,
# identify), tesseract, unshare, and a session bus (dbus-daemon) with the
# accessibility bus (at-spi2-core) read through pyatspi (atspi.py): menus
# are found by their accessible names and the report read as a screen
# reader reads it, which is faster and surer than OCR.
#
# Drivers take three arguments, kept in E2E_PROGRAM, E2E_ENCODE and
# E2E_SAMPLE: the built quorvex, the built encode-foods and the source
# tree's data/ folder.
#
# Globals set here: E2E_TMP (the test's scratch folder, removed at exit),
# DISPLAY, E2E_PID and E2E_MAIN (the running program's process id and main
# window id), E2E_FAILURES (count of failed checks), E2E_SETTINGS (the
# settings file's fixed path, private to the test), E2E_ATSPI (the
# accessibility reader, atspi.py).

# shellcheck disable=SC2034 # globals for the drivers
set -uo pipefail

E2E_FAILURES=0
E2E_PID=
E2E_MAIN=
E2E_TIMEOUT=${E2E_TIMEOUT:-10} # seconds any single wait may take
E2E_SETTINGS=/var/tmp/VARDELO.ini
E2E_ATSPI="/usr/bin/python3 $(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/atspi.py"

e2e_log() { printf '[%s] %s\n' "$(date +%T.%N | cut -c1-12)" "$*" >&2; }

e2e_skip() {
    echo "SKIPPED: $*"
    exit 77
}

e2e_abort() {
    echo "FAIL - $*"
    exit 1
}

# e2e_check DESCRIPTION COMMAND...: runs COMMAND; counts a failure, with the
# description, when it fails. Checks go on after a failure so that one run
# reports every broken case.
e2e_check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok   - $what"
    else
        echo "FAIL - $what"
        E2E_FAILURES=$((E2E_FAILURES + 1))
    fi
}

e2e_fail() {
    echo "FAIL - $*"
    E2E_FAILURES=$((E2E_FAILURES + 1))
}

# e2e_equal DESCRIPTION EXPECTED ACTUAL
e2e_equal() {
    if [ "$2" == "$3" ]; then
        echo "ok   - $1"
    else
        printf 'FAIL - %s\n       expected: %q\n       actual:   %q\n' "$1" "$2" "$3"
        E2E_FAILURES=$((E2E_FAILURES + 1))
    fi
}

e2e_end() {
    e2e_stop_program
    if [ "$E2E_FAILURES" -gt 0 ]; then
        echo "$E2E_FAILURES check(s) failed"
        exit 1
    fi
    echo "all checks passed"
    exit 0
}

# e2e_wait_until COMMAND...: polls COMMAND every 0.1 s until it succeeds;
# fails after E2E_TIMEOUT seconds.
e2e_wait_until() {
    local deadline=$((SECONDS + E2E_TIMEOUT))
    until "$@" 2>/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# e2e_begin "$@": call first. Skips unless root; re-runs the driver inside a
# private mount namespace with a fresh tmpfs on /var/tmp, so the machine's
# settings file is never touched; gives the run its own HOME (Qt's file
# dialog keeps its state there); starts Xvfb on a free display and openbox.
e2e_begin() {
    [ "$(id -u)" -eq 0 ] ||
        e2e_skip "needs root: the program runs in a private mount namespace with its own /var/tmp"
    for tool in Xvfb openbox xdotool xprop xwininfo xmessage import convert compare identify \
        tesseract unshare dbus-daemon /usr/libexec/at-spi-bus-launcher; do
        command -v "$tool" >/dev/null || e2e_skip "$tool is not installed (scripts/test installs it)"
    done
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null ||
        e2e_skip "python3-pyatspi is not installed (scripts/test installs it)"
    if [ -z "${E2E_PRIVATE_MOUNTS:-}" ]; then
        unshare --mount true 2>/dev/null ||
            e2e_skip "no private mount namespace here (a container without CAP_SYS_ADMIN?)"
        E2E_PRIVATE_MOUNTS=1 exec unshare --mount --propagation private -- bash "$0" "$@"
    fi
    mount -t tmpfs -o mode=1777 e2e-var-tmp /var/tmp || e2e_abort "cannot mount a tmpfs on /var/tmp"
    [ -z "${E2E_TRACE:-}" ] || set -x # E2E_TRACE=1: every command to stderr

    E2E_PROGRAM=${1:-} E2E_ENCODE=${2:-} E2E_SAMPLE=${3:-}
    E2E_TMP=$(mktemp -d /tmp/quorvex-e2e.XXXXXX)
    trap e2e_cleanup EXIT
    export HOME=$E2E_TMP/home XDG_CONFIG_HOME=$E2E_TMP/home/.config XDG_RUNTIME_DIR=$E2E_TMP/run
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    unset QT_QPA_PLATFORM WAYLAND_DISPLAY

    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$E2E_TMP/display" \
        >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_XVFB=$!
    e2e_wait_until test -s "$E2E_TMP/display" || e2e_abort "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
    DISPLAY=:$(cat "$E2E_TMP/display")
    export DISPLAY
    openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
    E2E_OPENBOX=$!
    e2e_wait_until e2e_wm_running || e2e_abort "openbox did not start: $(cat "$E2E_TMP/openbox.log")"
    e2e_start_accessibility_bus
    xdotool mousemove 1279 1023
    e2e_log "display $DISPLAY ready"
}

# A session bus of the test's own and the accessibility bus on it, as a
# desktop with a screen reader has; the program exposes itself there.
e2e_start_accessibility_bus() {
    dbus-daemon --session --fork --print-address=3 --print-pid=4 \
        3>"$E2E_TMP/bus.address" 4>"$E2E_TMP/bus.pid" || e2e_abort "no session bus"
    DBUS_SESSION_BUS_ADDRESS=$(cat "$E2E_TMP/bus.address")
    export DBUS_SESSION_BUS_ADDRESS QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$E2E_TMP/at-spi.log" 2>&1 &
    E2E_ATSPI_BUS=$!
    e2e_wait_until e2e_accessibility_bus_up || e2e_abort "no accessibility bus: $(cat "$E2E_TMP/at-spi.log")"
}
e2e_accessibility_bus_up() { xprop -root AT_SPI_BUS | grep -q unix; }

e2e_wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

e2e_cleanup() {
    e2e_stop_program
    e2e_weston_stop
    [ -n "${E2E_OPENBOX:-}" ] && kill "$E2E_OPENBOX" 2>/dev/null
    [ -n "${E2E_ATSPI_BUS:-}" ] && kill "$E2E_ATSPI_BUS" 2>/dev/null
    [ -s "$E2E_TMP/bus.pid" ] && kill "$(cat "$E2E_TMP/bus.pid")" 2>/dev/null
    [ -n "${E2E_XVFB:-}" ] && kill "$E2E_XVFB" 2>/dev/null
    wait 2>/dev/null
    [ -n "${E2E_KEEP:-}" ] || rm -rf "$E2E_TMP"
}

# e2e_start_program P D: starts the executable P over the data folder D and
# waits until its main window shows the first report (e2e_report_reads
# then tells what it shows). The program reads Dados/ beside its own
# executable (the resolved path of /proc/self/exe): when D is that folder,
# P runs as it is, a symbolic link included; otherwise P (the executable
# itself, not a wrapper script) is copied into a fresh folder under E2E_TMP
# with a copy of D as its Dados/. Sets E2E_PID, E2E_MAIN and E2E_APP (the folder it runs in); its
# output goes to $E2E_APP/out.log. Fails (status 1, E2E_MAIN empty) when
# no main window shows within E2E_TIMEOUT seconds or the program exits.
e2e_start_program() {
    local program=$1 data=$2
    if [ "$(cd "$data" && pwd -P)" == "$(dirname "$(readlink -f "$program")")/Dados" ]; then
        E2E_APP=$(dirname "$(readlink -f "$program")")
    else
        E2E_APP=$(mktemp -d "$E2E_TMP/app.XXXXXX")
        cp "$program" "$E2E_APP/" && cp -r "$data" "$E2E_APP/Dados" || return 1
        program=$E2E_APP/$(basename "$program")
    fi
    rm -f "$E2E_TMP"/places.*.txt
    "$program" >"$E2E_APP/out.log" 2>&1 &
    E2E_PID=$!
    E2E_MAIN=
    e2e_wait_until e2e_find_main_window || {
        e2e_log "no main window; program output:"
        cat "$E2E_APP/out.log" >&2
        return 1
    }
    # Its first activation loads the tables and draws; a failure box may
    # then be the active window instead.
    e2e_wait_until e2e_program_active && e2e_wait_stable "$E2E_MAIN"
}

e2e_find_main_window() {
    kill -0 "$E2E_PID" 2>/dev/null || return 1
    local w
    for w in $(xdotool search --onlyvisible --pid "$E2E_PID"); do
        xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q '= _NET_WM_WINDOW_TYPE_NORMAL$' && E2E_MAIN=$w
    done
    [ -n "$E2E_MAIN" ]
}

e2e_program_active() { [ "$(xdotool getwindowpid "$(e2e_active)")" == "$E2E_PID" ]; }

# e2e_stop_program: ends the running program by its process id, if any.
e2e_stop_program() {
    if [ -n "${E2E_PID:-}" ] && kill -0 "$E2E_PID" 2>/dev/null; then
        kill "$E2E_PID" 2>/dev/null
        wait "$E2E_PID" 2>/dev/null
    fi
    E2E_PID=
}

# e2e_exited_within SECONDS: true when the program has ended by then.
e2e_exited_within() {
    local deadline=$((SECONDS + $1))
    while kill -0 "$E2E_PID" 2>/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
    wait "$E2E_PID" 2>/dev/null
    E2E_PID=
}

# e2e_data DIR [PATTERN]: makes DIR a data folder from the bundled sample
# (E2E_SAMPLE, the source tree's data/): the foods whose plain lines match
# the extended regular expression PATTERN (all when none), stored with
# E2E_ENCODE (the encode-foods tool), and every group.
e2e_data() {
    mkdir -p "$1"
    grep -aE "${2:-.}" "$E2E_SAMPLE/foods.txt" >"$1/foods.txt"
    "$E2E_ENCODE" "$1/foods.txt" "$1/ArqIng.dad" >/dev/null && rm "$1/foods.txt" &&
        cp "$E2E_SAMPLE/groups.txt" "$1/ArqGruIng.dad"
}

# --- windows ---------------------------------------------------------------

# e2e_title W: the title the window manager shows for window W (its
# _NET_WM_NAME, UTF-8), exactly.
e2e_title() {
    xprop -id "$1" -notype _NET_WM_NAME | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p' |
        sed 's/\\"/"/g; s/\\\\/\\/g'
}

e2e_active() { xdotool getactivewindow 2>/dev/null; }
e2e_is_active() { [ "$(e2e_active)" == "$1" ]; }

# e2e_wait_other_active W: waits until a window other than W (and other than
# the program's progress window) is active and prints its id. This is how a
# modal window is found: by what became active, not by its title, so a
# wrong caption fails the caption check rather than a wait.
e2e_wait_other_active() {
    local was=$1 now
    e2e_wait_until e2e_other_active "$was" || return 1
    now=$(e2e_active)
    e2e_wait_stable "$now"
    echo "$now"
}
e2e_other_active() {
    local now
    now=$(e2e_active)
    [ -n "$now" ] && [ "$now" != "$1" ] && [[ "$(e2e_title "$now")" != "Please wait..."* ]]
}

# e2e_activate W: makes W the active window, as a click on it would.
e2e_activate() { xdotool windowactivate --sync "$1" 2>/dev/null; e2e_wait_until e2e_is_active "$1"; }

# e2e_close_popups W: closes, with Escape, a completion list or other
# popup that the program shows over its window W while text is typed: any
# window of the program shown besides W and the main window.
e2e_close_popups() {
    e2e_wait_stable "$1"
    local w
    for w in $(xdotool search --onlyvisible --pid "$E2E_PID"); do
        if [ "$w" != "$1" ] && [ "$w" != "$E2E_MAIN" ]; then
            xdotool key Escape
            e2e_wait_closed "$w" || return 1
        fi
    done
}

# e2e_wait_closed W: waits until window W is no longer shown. Qt destroys
# a hidden dialog's X window, and X may give its id to a later window, so
# what is known of W (the places of its menu items and buttons) is
# forgotten.
e2e_wait_closed() { e2e_wait_until e2e_not_viewable "$1" && rm -f "$E2E_TMP/places.$1."*.txt; }
e2e_not_viewable() { ! xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

# e2e_geometry W: prints "X Y WIDTH HEIGHT" of W's inside on the screen.
e2e_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /^  Width/ {w=$NF} /^  Height/ {h=$NF} END {print x, y, w, h}'
}

# --- pixels ----------------------------------------------------------------

# e2e_shot W FILE: screenshot of window W's inside (PNG). The mouse is
# parked outside every window first, so hover highlights never differ.
e2e_shot() {
    xdotool mousemove 1279 1023
    import -silent -window "$1" "png:$2"
}

# e2e_same_pixels A B: true when images A and B have the same size and
# every pixel equal.
e2e_same_pixels() {
    local differing
    differing=$(compare -metric AE "$1" "$2" null: 2>&1) || true
    [ "$differing" == "0" ]
}

# e2e_shows_image W IMAGE: true when window W shows IMAGE pixel for pixel
# as far as W shows it: IMAGE's top rows are looked for near W's top-left
# corner (below a menu bar), then everything of IMAGE inside W compared.
e2e_shows_image() {
    local shot=$E2E_TMP/shows.png width found x y visible
    e2e_shot "$1" "$shot"
    width=$(identify -format %w "$2")
    convert "$shot" -crop 760x120+0+0 +repage -colorspace Gray "$E2E_TMP/shows.top.png"
    convert "$2" -crop "${width}x60+0+0" +repage -colorspace Gray "$E2E_TMP/shows.strip.png"
    found=$(compare -metric AE -subimage-search "$E2E_TMP/shows.top.png" "$E2E_TMP/shows.strip.png" null: 2>&1)
    [[ $found =~ ^0\ @\ ([0-9]+),([0-9]+) ]] || { e2e_log "image not found in window: $found"; return 1; }
    x=${BASH_REMATCH[1]} y=${BASH_REMATCH[2]}
    visible=$(($(identify -format %h "$shot") - y))
    [ "$visible" -le "$(identify -format %h "$2")" ] || visible=$(identify -format %h "$2")
    convert "$shot" -crop "${width}x${visible}+$x+$y" +repage -colorspace Gray "$E2E_TMP/shows.a.png"
    convert "$2" -crop "${width}x${visible}+0+0" +repage -colorspace Gray "$E2E_TMP/shows.b.png"
    e2e_same_pixels "$E2E_TMP/shows.a.png" "$E2E_TMP/shows.b.png"
}

# e2e_wait_stable W: waits until two screenshots of W 0.2 s apart are
# equal, i.e. W has finished drawing.
e2e_wait_stable() {
    local a=$E2E_TMP/stable.a.png b=$E2E_TMP/stable.b.png
    e2e_shot "$1" "$a" || return 1
    local deadline=$((SECONDS + E2E_TIMEOUT))
    while :; do
        sleep 0.2
        e2e_shot "$1" "$b" || return 1
        e2e_same_pixels "$a" "$b" && return 0
        [ "$SECONDS" -lt "$deadline" ] || return 1
        mv "$b" "$a"
    done
}

# e2e_ocr_words IMAGE [X Y W H]: tesseract's words of IMAGE (or of that
# region), one per line as "LEFT TOP WIDTH HEIGHT BLOCK.LINE WORD", in
# IMAGE's pixel coordinates. The image is scaled up three times first,
# which small screen fonts need.
e2e_ocr_words() {
    local image=$1 crop=
    [ $# -eq 5 ] && crop="-crop $4x$5+$2+$3 +repage"
    local ox=${2:-0} oy=${3:-0}
    # shellcheck disable=SC2086
    convert "$image" $crop -colorspace Gray -filter Point -resize 300% "$E2E_TMP/ocr.png"
    tesseract "$E2E_TMP/ocr.png" - --psm 6 tsv 2>/dev/null |
        awk -F'\t' -v ox="$ox" -v oy="$oy" 'NR > 1 && $1 == 5 && $12 != "" {
            printf "%d %d %d %d %s.%s %s\n", ox + $7 / 3, oy + $8 / 3, $9 / 3, $10 / 3, $3, $5, $12 }'
}

# e2e_ocr_text IMAGE [X Y W H]: the recognised text, one line per text line.
e2e_ocr_text() {
    local image=$1
    shift
    e2e_ocr_words "$image" "$@" | awk '{ if ($5 != line && NR > 1) printf "\n"; else if (NR > 1) printf " ";
        line = $5; printf "%s", $6 } END { printf "\n" }'
}

# e2e_window_texts W: the texts of the labels that window W shows (a
# message box's text among them), one a line, as a screen reader reads
# them.
e2e_window_texts() { e2e_places "$1" label | cut -d' ' -f3-; }

# e2e_places W ROLE...: "X Y NAME" of every object of window W that shows
# and has one of the accessible ROLEs, X Y its centre on the screen, in the
# order a screen reader walks them.
e2e_places() {
    local window=$1
    shift
    $E2E_ATSPI places "$E2E_PID" "$(e2e_title "$window")" "$@"
}

# e2e_report_text W: the text of the report that main window W shows, as
# a screen reader reads it, one line per report row.
e2e_report_text() { $E2E_ATSPI text "$E2E_PID" "$(e2e_title "$1")" text; }

# e2e_report_reads W TEXT: true when the first two rows of the report that
# main window W shows (title, amount line), read as a screen reader reads
# them, hold TEXT; otherwise says what they read.
e2e_report_reads() {
    local text
    text=$(e2e_report_text "$1" | head -n2 | tr '\n' ' ')
    [[ $text == *"$2"* ]] || { e2e_log "the report's first rows read: $text"; return 1; }
}

# e2e_holds_text READ TEXT: true when READ, a text read by OCR, holds TEXT,
# blanks aside (OCR of screen fonts joins short words) and I, l, | and 1
# counted as one letter (OCR mixes those).
e2e_holds_text() {
    awk -v read="$1" -v text="$2" 'function plain(s) { gsub(/[ ]/, "", s); gsub(/[Il|1]/, "l", s); return s }
        BEGIN { exit index(plain(read), plain(text)) ? 0 : 1 }'
}

# e2e_nutrient_labels: the labels of the report's nutrient rows, fields 2
# to 37 of a food line in order, without their blanks around.
e2e_nutrient_labels() {
    cat <<'LABELS'
Water____________g
Energy___________kal
Protein__________g
Total lipid _____g
Ash______________g
Carbohydrate_____g
Fiber, total_____g
Calcium, Ca______mg
Iron, Fe_________mg
Magnesium________mg
Phosphorus, P____mg
Potassium, K_____mg
Sodium, Na_______mg
Zinc, Zn_________mg
Copper, Cu_______mg
Manganese, Mn____mg
Selenium, Se_____mg
Total ascorbic acid__mg
Thiamin______________mg
Riboflavin___________mg
Niacin_______________mg
Pantothenic acid_____mg
Vitamin B-6__________mg
Folate, total________mcg
Folic acid________mcg
Folete, food______mcg
Folate, DFE______mcg_DFE
Vitamin B-12_________mcg
Vitamin A, IU________IU
Vitamin A, RE____mcg_RE
Vitamin E________mg_ATE
Vitamin D____________IU
Total saturated________g
Total monounsaturated__g
Total polyunsaturated__g
Cholesterol____________g
LABELS
}
# --- input -----------------------------------------------------------------

# e2e_click W X Y [COUNT]: clicks (COUNT times, a double click for 2) at
# X, Y inside window W.
e2e_click() {
    xdotool mousemove --window "$1" "$2" "$3" click --repeat "${4:-1}" --delay 80 1
}

# e2e_click_named W NAME ROLE...: clicks, where it shows on the screen, the
# object of window W that has one of the accessible ROLEs and the name
# NAME; the places are asked for once while W is shown. Fails when no such
# object shows.
e2e_click_named() {
    local window=$1 name=$2 places at
    shift 2
    places=$E2E_TMP/places.$window.${*// /_}.txt
    [ -s "$places" ] || e2e_places "$window" "$@" >"$places"
    at=$(awk -v name="$name" '{ x = $1; y = $2; $1 = $2 = ""; sub(/^  /, "") }
        $0 == name { print x, y; found = 1; exit } END { exit !found }' "$places") || {
        e2e_log "no $* \"$name\" in: $(cut -d' ' -f3- "$places" | tr '\n' '|')"
        return 1
    }
    # shellcheck disable=SC2086
    xdotool mousemove $at click 1
}

# e2e_menu W CAPTION: clicks the item CAPTION of W's menu bar.
e2e_menu() { e2e_click_named "$1" "$2" "menu item" menu; }

# e2e_press W CAPTION: clicks W's push button CAPTION.
e2e_press() { e2e_click_named "$1" "$2" "push button"; }

# e2e_keys W KEY...: presses the named keys (xdotool names: Return, Down,
# End, Tab, ...) once W is the active window.
e2e_keys() {
    e2e_wait_until e2e_is_active "$1" || return 1
    shift
    xdotool key --delay 60 "$@"
}

# e2e_type W TEXT: types TEXT into window W, which must be active, key by
# key (real key events: Qt ignores those sent to a window).
e2e_type() {
    e2e_wait_until e2e_is_active "$1" || return 1
    xdotool type --delay 60 "$2"
}

# --- other desktops: window properties, weston -------------------------------

# e2e_transient_for W: the window W's WM_TRANSIENT_FOR names (decimal, as
# xdotool gives ids); nothing when it has none.
e2e_transient_for() {
    local id
    id=$(xprop -id "$1" WM_TRANSIENT_FOR | grep -o '0x[0-9a-f]*$') && printf '%d\n' "$id"
}

# e2e_property W NAME: the value of W's property NAME as xprop prints it
# after "= " (e.g. 0x3, 0x4, 0xa, 0x0, 0x0).
e2e_property() { xprop -id "$1" -notype "$2" | sed -n 's/^[^=]*= //p'; }

# e2e_weston_start NAME ARGS...: starts weston with ARGS, its Wayland
# socket NAME in XDG_RUNTIME_DIR, and waits until clients can connect. Its
# output goes to $E2E_TMP/NAME.log. Sets E2E_WESTON (its process id).
e2e_weston_start() {
    local name=$1
    shift
    weston --socket="$name" --idle-time=0 "$@" >"$E2E_TMP/$name.log" 2>&1 &
    E2E_WESTON=$!
    e2e_wait_until test -S "$XDG_RUNTIME_DIR/$name" ||
        e2e_abort "weston did not start: $(cat "$E2E_TMP/$name.log")"
}

# e2e_weston_stop: ends weston, by force when it does not end within a
# second or two (it may hang once its X display is gone).
e2e_weston_stop() {
    local deadline=$((SECONDS + 2))
    if [ -n "${E2E_WESTON:-}" ] && kill "$E2E_WESTON" 2>/dev/null; then
        while kill -0 "$E2E_WESTON" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.1; done
        kill -9 "$E2E_WESTON" 2>/dev/null
        wait "$E2E_WESTON" 2>/dev/null
    fi
    E2E_WESTON=
}

e2e_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

# e2e_wayland_parent LOG TITLE: the title of the toplevel that the
# toplevel titled TITLE had as its parent (xdg_toplevel.set_parent) when it
# was titled, as the client's WAYLAND_DEBUG=client log LOG tells; fails
# when it had none. Object ids are reused, so the log is read in order.
e2e_wayland_parent() {
    awk -v want="$2" '
        function object(line) { sub(/.*-> /, "", line); sub(/\..*/, "", line); return line }
        function argument(line) { sub(/^[^(]*\("?/, "", line); sub(/"?\)$/, "", line); return line }
        /-> xdg_toplevel@[0-9]+\.set_parent\(/ { parent[object($0)] = argument($0) }
        /-> xdg_toplevel@[0-9]+\.destroy\(/ { delete parent[object($0)]; delete title[object($0)] }
        /-> xdg_toplevel@[0-9]+\.set_title\(/ {
            id = object($0); title[id] = argument($0)
            if (title[id] == want) found = (id in parent) ? title[parent[id]] : ""
        }
        END { if (found == "") exit 1; print found }' "$1"
}
