#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The main window as a user meets it: captions, Previous and Next Food at
# both ends, Grams (also across a switch to another window), Save Image,
# Exit, an empty database; the settings file is never asked for.
# Arguments: quorvex, encode-foods, the sample data folder.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"

MAIN_CAPTION="Composition of Foods Raw, Processed, Prepared - USDA Nutrient Database Release 14"

# Another client's window, for switching away from the amount dialog.
xmessage -geometry +0+0 "another program" 2>/dev/null &
e2e_wait_until xdotool search --onlyvisible --name '^xmessage$' >/dev/null || e2e_fail "xmessage shows"
OTHER=$(xdotool search --onlyvisible --name '^xmessage$' | head -n1)

# Three foods, in table order BUTTER, LARD, YOGURT.
e2e_data "$E2E_TMP/three" '^(Butter, salted|Lard|Yogurt, plain, low fat)\|'
e2e_start_program "$E2E_PROGRAM" "$E2E_TMP/three" || {
    e2e_fail "the main window shows"
    e2e_end
}
main=$E2E_MAIN
e2e_equal "main window caption" "$MAIN_CAPTION" "$(e2e_title "$main")"
e2e_check "no settings file at start-up" test ! -e "$E2E_SETTINGS"

# shot NAME: the main window's pixels, kept as NAME; same A B: equal pixels.
shot() { e2e_wait_stable "$main" && e2e_shot "$main" "$E2E_TMP/$1.png"; }
same() { e2e_same_pixels "$E2E_TMP/$1.png" "$E2E_TMP/$2.png"; }
differ() { ! same "$1" "$2"; }
head_reads() { e2e_report_reads "$main" "$1"; }
command_then_shot() { e2e_menu "$main" "$1" && shot "$2"; }

# grams TEXT [BETWEEN]: Grams, TEXT typed over the opening text, Ok. With
# BETWEEN, all of TEXT but its last character is typed, then BETWEEN runs
# with the dialog's id, then the last character. Leaves "caption|x y w h"
# of the dialog in DIALOG.
grams() {
    local dialog
    e2e_menu "$main" "Grams" && dialog=$(e2e_wait_other_active "$main") || return 1
    DIALOG="$(e2e_title "$dialog")|$(e2e_geometry "$dialog")"
    if [ $# -gt 1 ]; then
        e2e_type "$dialog" "${1:0:-1}" && $2 "$dialog" && e2e_type "$dialog" "${1: -1}"
    else
        e2e_type "$dialog" "$1"
    fi && e2e_press "$dialog" Ok && e2e_wait_closed "$dialog" &&
        e2e_activate "$main" # openbox may give the focus back to the other program
}
# A user stays a moment in the other window; Qt's X11 platform ignores a
# focus loss that is undone within about 0.4 s.
switch_away_and_back() { e2e_activate "$OTHER" && sleep 1 && e2e_activate "$1"; }
# save_image NAME: Save Image, the name typed without extension, Enter.
save_image() {
    local dialog
    e2e_menu "$main" "Save Image" && dialog=$(e2e_wait_other_active "$main") &&
        e2e_type "$dialog" "$E2E_TMP/$1" && e2e_close_popups "$dialog" && e2e_keys "$dialog" Return &&
        e2e_wait_until e2e_is_active "$main"
}
# bmp_form FILE: "WIDTH HEIGHT BITS-PER-PIXEL" from the BMP header.
bmp_form() {
    echo "$(od -An -tu4 -j18 -N8 "$1" | xargs) $(od -An -tu2 -j28 -N2 "$1" | xargs)"
}
has_black() { [ "$(convert "$1" -format '%[fx:minima]' info:)" == "0" ]; }

# Grams, Previous Food and Next Food at both ends.
shot butter100
e2e_check "Grams 25" grams 25
first_dialog=$DIALOG
e2e_equal "amount dialog caption" "USDA R14" "${first_dialog%%|*}"
command_then_shot "Previous Food" butter25 # the first food: nothing to do
e2e_check "Grams 25 changes the report" differ butter100 butter25
e2e_check "the report reads 25 grams" head_reads "Amount in 25 grams"
steps=(
    # command        shot         unchanged-from  head reads
    "Next Food|lard100||LARD"
    "Next Food|yogurt100||YOGURT"
    "Next Food|yogurt_end|yogurt100|"
    "Previous Food|lard_back|lard100|"
    "Previous Food|butter_back|butter100|Amount in 100 grams"
    "Previous Food|butter_start|butter100|"
)
for step in "${steps[@]}"; do
    IFS='|' read -r command name unchanged reads <<<"$step"
    e2e_check "$command gives $name" command_then_shot "$command" "$name"
    [ -z "$unchanged" ] || e2e_check "$name shows $unchanged" same "$name" "$unchanged"
    [ -z "$reads" ] || e2e_check "$name reads $reads" head_reads "$reads"
done

# Typing on after switching to another window and back gives the amount typed.
e2e_check "Grams 125" grams 125
e2e_equal "the amount dialog opens where it opened the first time" "${first_dialog#*|}" "${DIALOG#*|}"
shot butter125
e2e_check "the report reads 125 grams" head_reads "Amount in 125 grams"
command_then_shot "Next Food" lard100 && command_then_shot "Previous Food" butter100
e2e_check "Grams 125 typed across a switch to another window" grams 125 switch_away_and_back
shot switched
e2e_check "typing across a switch gives the amount typed" same switched butter125

# Save Image: a 703 x 777 1-bit BMP of what the window shows; a name
# typed without extension gets ".bmp"; a second save replaces the file.
e2e_check "Save Image" save_image report
e2e_equal "saved image form" "703 777 1" "$(bmp_form "$E2E_TMP/report.bmp")"
e2e_check "the saved image holds the report" has_black "$E2E_TMP/report.bmp"
e2e_check "the window shows the saved image" e2e_shows_image "$main" "$E2E_TMP/report.bmp"
: >"$E2E_TMP/report.bmp"
e2e_check "saving again over the same name, without a question" save_image report
e2e_equal "saved again" "703 777 1" "$(bmp_form "$E2E_TMP/report.bmp")"

e2e_check "Exit" e2e_menu "$main" "Exit"
e2e_check "Exit ends the program" e2e_exited_within 5
e2e_check "no settings file when List Food was never used" test ! -e "$E2E_SETTINGS"

# An empty foods file: the failed first showing is reported, List Food
# says so, the window stays usable.
# box_reads CAPTION TEXT: the active window is a box titled CAPTION whose
# text reads TEXT; Enter closes it.
box_reads() {
    local box text
    box=$(e2e_wait_other_active "$main") || return 1
    text=$(e2e_window_texts "$box")
    e2e_equal "box caption" "$1" "$(e2e_title "$box")"
    [[ $text == *"$2"* ]] || e2e_log "box reads: $text"
    e2e_keys "$box" Return && e2e_wait_until e2e_is_active "$main" && [[ $text == *"$2"* ]]
}
e2e_data "$E2E_TMP/empty" '^$'
e2e_start_program "$E2E_PROGRAM" "$E2E_TMP/empty" || e2e_fail "the main window shows over no foods"
main=$E2E_MAIN
e2e_check "the failed first showing is reported" box_reads "Quorvex" "List index out of bounds (0)"
e2e_menu "$main" "List Food"
e2e_check "List Food over no foods" box_reads "Information" "File empty!"
e2e_menu "$main" "Exit"
e2e_check "Exit ends the program over no foods" e2e_exited_within 5
e2e_end
