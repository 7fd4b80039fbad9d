#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The food list as a user meets it: captions, the word and group filters,
# picking with Enter, a double click, the Return item, keys right after the
# opening, double clicks in the blank area and on an empty list, and the
# settings file written at closing and read after a restart.
# Arguments: quorvex, encode-foods, the sample data folder.
# shellcheck disable=SC2046 # row_at and blank_at give two words, X and Y
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"

LIST_CAPTION="USDA R14 - USE DOUBLE CLICK TO SELECT"
e2e_data "$E2E_TMP/sample"
start() {
    e2e_stop_program # still running when Exit failed
    e2e_start_program "$E2E_PROGRAM" "$E2E_TMP/sample" || {
        e2e_fail "the main window shows"
        e2e_end
    }
    main=$E2E_MAIN
}

# open_list: List Food; LIST is the list window.
open_list() {
    e2e_menu "$main" "List Food" && LIST=$(e2e_wait_other_active "$main")
}
# closed_on TEXT: the list window has closed and the main window shows the
# food whose title holds TEXT. A list left open is closed through its
# Return item, so that the next cases start as they should.
closed_on() {
    if ! E2E_TIMEOUT=3 e2e_wait_closed "$LIST"; then
        e2e_log "the list stayed open"
        e2e_menu "$LIST" "Return"
        e2e_wait_closed "$LIST"
        return 1
    fi
    e2e_activate "$main" && e2e_wait_stable "$main" && e2e_report_reads "$main" "$1"
}
# row_at I: "X Y" on the screen of the middle of row I (from 0) of the
# list, as a screen reader finds its items; the middle of the list when it
# has no row I (an empty list).
row_at() {
    e2e_places "$LIST" "list item" |
        awk -v i="$1" 'NR == i + 1 { print $1, $2; found = 1; exit } END { exit !found }' ||
        e2e_places "$LIST" list | awk '{ print $1, $2; exit }'
}
click_row() { xdotool mousemove $(row_at "$1") click --repeat "${2:-1}" --delay 80 1; }
blank_at() { echo 400 480; } # below the last row of a short list, in the window
# current_row_selected: the row of the current food, the first, is the
# one selected.
current_row_selected() {
    $E2E_ATSPI tree "$E2E_PID" | grep -q 'list item "Ab.*bora caboti.*, raw" \[.* selected '
}
# words_filter ITEM [TEXT]: Words Filter, TEXT typed, the menu item ITEM.
words_filter() {
    local dialog
    e2e_menu "$LIST" "Words Filter" && dialog=$(e2e_wait_other_active "$LIST") || return 1
    e2e_equal "word filter dialog caption" "Type the words to filter list" "$(e2e_title "$dialog")"
    WORDS_PLACE=${WORDS_PLACE:-$(e2e_geometry "$dialog")}
    e2e_equal "the word filter dialog opens where it opened the first time" "$WORDS_PLACE" \
        "$(e2e_geometry "$dialog")"
    [ -z "${2:-}" ] || e2e_type "$dialog" "$2"
    e2e_menu "$dialog" "$1" && e2e_wait_closed "$dialog" && e2e_wait_until e2e_is_active "$LIST" &&
        e2e_wait_stable "$LIST"
}
# group_filter N: the Nth item (from 1) of the Group Filter submenu.
group_filter() {
    e2e_menu "$LIST" "Group Filter" && e2e_wait_until e2e_popup_shown && sleep 0.3 &&
        xdotool key --delay 60 $(printf 'Down %.0s' $(seq "$1")) Return && e2e_wait_stable "$LIST"
}
e2e_popup_shown() { [ "$(xdotool search --onlyvisible --pid "$E2E_PID" | wc -l)" -gt 2 ]; }
list_caption() { e2e_equal "$1" "$2" "$(e2e_title "$LIST")"; }
settings_hold() {
    e2e_equal "$1" "$(printf '%s\n' "${@:2}")" "$(tr -d '\r' <"$E2E_SETTINGS")"
}

start
# First opening: no settings, every food listed, the current food selected.
e2e_check "List Food opens the list" open_list
list_caption "list caption" "$LIST_CAPTION"
first_place=$(e2e_geometry "$LIST")
e2e_check "the current food's row is selected" current_row_selected
e2e_keys "$LIST" Return
e2e_check "Enter at once returns the current food" closed_on "CABOT"
settings_hold "settings written at closing" "[Lista Ingredientes]" "AtiFil=-1" "GruFil=" \
    "AtiFilPalCha=0" "PalCha=" "PosFilOrd=0"

open_list
e2e_equal "the list opens where it opened the first time" "$first_place" "$(e2e_geometry "$LIST")"
e2e_keys "$LIST" Down Return
e2e_check "Down then Enter returns the next food" closed_on "UNSWEETENED"

# The word filter, picked with a double click.
open_list
e2e_check "Words Filter, CHEDDAR typed, Turn ON Filter" words_filter "Turn ON Filter" cheddar
list_caption "list caption with a word filter" "$LIST_CAPTION - WORD : CHEDDAR"
click_row 1 2
e2e_check "a double click on the second row returns its food" closed_on "SHARP"

# Keys right after an opening with a filter: no row selected yet.
for case in "Down|MILD" "End|SHARP" "Home|MILD"; do
    IFS='|' read -r key food <<<"$case"
    open_list
    list_caption "the word filter comes back" "$LIST_CAPTION - WORD : CHEDDAR"
    e2e_keys "$LIST" "$key" Return
    e2e_check "$key right after the opening, then Enter" closed_on "$food"
done

# The group filter; a single click in the blank area keeps the selection,
# a double click there takes it.
open_list
words_filter "Turn OFF Filter"
list_caption "list caption after Turn OFF Filter" "$LIST_CAPTION"
e2e_check "Group Filter, second group" group_filter 2
list_caption "list caption with a group filter" "$LIST_CAPTION - GROUP : Fats and Oils"
click_row 2
e2e_click "$LIST" $(blank_at)
e2e_click "$LIST" $(blank_at) 2
e2e_check "a double click below the rows returns the selected row's food" closed_on "OLIVE"
settings_hold "settings with a group filter" "[Lista Ingredientes]" "AtiFil=1" \
    "GruFil=Fats and Oils" "AtiFilPalCha=0" "PalCha=" "PosFilOrd=2"

# After a restart the filters come back; Return with no row selected gives
# the first food.
e2e_menu "$main" "Exit"
e2e_check "Exit ends the program" e2e_exited_within 5
start
e2e_menu "$main" "Next Food"
open_list
list_caption "the group filter comes back after a restart" "$LIST_CAPTION - GROUP : Fats and Oils"
e2e_menu "$LIST" "Return"
e2e_check "Return with no row selected gives the first food" closed_on "CABOT"

# An empty list: a double click closes it on the first food.
e2e_menu "$main" "Next Food"
open_list
words_filter "Turn ON Filter" zzz
list_caption "list caption of an empty list" "$LIST_CAPTION - GROUP : Fats and Oils - WORD : ZZZ"
click_row 0 2
e2e_check "a double click on the empty list gives the first food" closed_on "CABOT"
settings_hold "settings after the empty list" "[Lista Ingredientes]" "AtiFil=1" \
    "GruFil=Fats and Oils" "AtiFilPalCha=1" "PalCha=ZZZ" "PosFilOrd=-1"
e2e_end
