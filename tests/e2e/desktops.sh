#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end: the program on today's desktops. Under openbox: the program's
# identity (WM_CLASS, icon), the title-bar hints, every secondary window's
# and message box's owner (WM_TRANSIENT_FOR), a dialog minimised anyway,
# and the keyboard alone (the menu bar's mark, the list after Words
# Filter). On a screen scaled by 2: a sharp report and the same saved
# image. On weston headless, which activates nothing: the database loads
# all the same. On weston nested with a seat: the progress window and the
# amount dialog get their parent natively, and under its Xwayland the
# progress window goes away.
# Arguments: quorvex, encode-foods, the sample data folder.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
for tool in weston Xwayland; do
    command -v "$tool" >/dev/null || e2e_skip "$tool is not installed (scripts/test installs it)"
done
dpkg-query -W -f='${Status}' qt6-wayland 2>/dev/null | grep -q "install ok installed" ||
    e2e_skip "qt6-wayland is not installed (scripts/test installs it)"

MAIN_CAPTION="Composition of Foods Raw, Processed, Prepared - USDA Nutrient Database Release 14"
DESKTOP_ENTRY=$E2E_SAMPLE/../packaging/example.quorvex.Quorvex.desktop
NO_BUTTONS="0x3, 0x4, 0xa, 0x0, 0x0"      # move; border and title
MAIN_BUTTONS="0x3, 0x2c, 0x3a, 0x0, 0x0"  # move, minimise, close; and menu, minimise
e2e_data "$E2E_TMP/data"

# menu_key W N: enters W's menu bar with Alt and takes its item N (from 1)
# with the arrows and Enter, as a user without a mouse does.
menu_key() {
    local rights=() i
    for ((i = 1; i < $2; i++)); do rights+=(Right); done
    e2e_keys "$1" alt "${rights[@]}" Return
}

# owned_window OWNER N HINTS NAME: takes OWNER's item N from the keyboard,
# checks that the window it opens belongs to OWNER and, when HINTS is
# given, asks for them; prints the window's id.
owned_window() {
    local window
    menu_key "$1" "$2" && window=$(e2e_wait_other_active "$1") || {
        e2e_fail "$4 opens from the keyboard"
        return 1
    }
    e2e_equal "$4 belongs to its window" "$1" "$(e2e_transient_for "$window")" >&2
    [ -z "$3" ] || e2e_equal "$4 asks for its title-bar buttons" "$3" "$(e2e_property "$window" _MOTIF_WM_HINTS)" >&2
    echo "$window"
}

# save_image_keys NAME: Save Image from the keyboard into $E2E_TMP/NAME.bmp.
save_image_keys() {
    local dialog
    dialog=$(owned_window "$main" 5 "" "the save dialog") && e2e_type "$dialog" "$E2E_TMP/$1" &&
        e2e_close_popups "$dialog" && e2e_keys "$dialog" Return && e2e_wait_until e2e_is_active "$main"
}

# ---- openbox: identity, hints, owners, the keyboard -------------------------
e2e_start_program "$E2E_PROGRAM" "$E2E_TMP/data" || e2e_abort "the program did not start"
main=$E2E_MAIN
e2e_equal "WM_CLASS" '"quorvex", "Quorvex"' "$(e2e_property "$main" WM_CLASS)"
e2e_equal "the desktop entry's StartupWMClass is the window's class" "StartupWMClass=Quorvex" \
    "$(grep '^StartupWMClass=' "$DESKTOP_ENTRY")"
has_icon() { [[ $(xprop -id "$1" _NET_WM_ICON) == *"Icon (48 x 48)"* ]]; }
e2e_check "the window carries the program's icon" has_icon "$main"
e2e_equal "main window asks for menu, minimise and close" "$MAIN_BUTTONS" \
    "$(e2e_property "$main" _MOTIF_WM_HINTS)"

differs() { ! e2e_same_pixels "$1" "$2"; }
e2e_shot "$main" "$E2E_TMP/bar.none.png"
e2e_keys "$main" alt && sleep 0.3 && e2e_shot "$main" "$E2E_TMP/bar.first.png"
xdotool key Right && sleep 0.3 && e2e_shot "$main" "$E2E_TMP/bar.second.png"
xdotool key Escape && sleep 0.3 && e2e_shot "$main" "$E2E_TMP/bar.left.png"
e2e_check "Alt marks the first menu item" differs "$E2E_TMP/bar.none.png" "$E2E_TMP/bar.first.png"
e2e_check "Right moves the mark" differs "$E2E_TMP/bar.first.png" "$E2E_TMP/bar.second.png"
e2e_check "Escape leaves the bar unmarked" e2e_same_pixels "$E2E_TMP/bar.none.png" "$E2E_TMP/bar.left.png"
e2e_check "Save Image at scale 1" save_image_keys one

# The amount dialog: owned, no buttons asked for; minimised anyway (openbox
# draws the button), it comes straight back.
if amount=$(owned_window "$main" 4 "$NO_BUTTONS" "the amount dialog"); then
    xdotool windowminimize "$amount"
    sleep 0.5
    e2e_check "a minimised amount dialog shows again" e2e_wait_until e2e_viewable "$amount"
    e2e_click "$amount" 247 12 # Cancel
    e2e_wait_closed "$amount"
fi

# The list and the word dialog from the keyboard alone: after Words Filter
# the list has the keys, so End and Enter pick its last food.
if list=$(owned_window "$main" 3 "$NO_BUTTONS" "the list window"); then
    if words=$(owned_window "$list" 2 "$NO_BUTTONS" "the word dialog"); then
        e2e_type "$words" "butter" && menu_key "$words" 1 && e2e_wait_closed "$words" &&
            e2e_keys "$list" End Return
    fi
    e2e_check "after Words Filter, End and Enter reach the list" e2e_wait_closed "$list"
    e2e_wait_until e2e_is_active "$main" && e2e_wait_stable "$main"
    e2e_check "the picked food is the word filter's last" e2e_report_reads "$main" "SMOOTH"
fi

if box=$(owned_window "$main" 6 "" "\"Confirm print?\""); then
    xdotool key Escape
    e2e_wait_closed "$box"
fi
e2e_stop_program

# ---- a screen scaled by 2 -----------------------------------------------------
# The same report at twice the resolution: not every 2 x 2 block of it is
# one colour, as it would be if the 703 x 777 bitmap were blown up. The
# saved image stays that bitmap.
QT_SCALE_FACTOR=2 e2e_start_program "$E2E_PROGRAM" "$E2E_TMP/data" ||
    e2e_abort "the program did not start at scale 2"
main=$E2E_MAIN
e2e_shot "$main" "$E2E_TMP/scaled.png"
convert "$E2E_TMP/scaled.png" -crop 1000x300+0+60 +repage "$E2E_TMP/scaled.report.png"
convert "$E2E_TMP/scaled.report.png" -filter Point -resize 50% -resize 200% "$E2E_TMP/scaled.blocky.png"
e2e_check "the report is drawn at the screen's resolution" \
    differs "$E2E_TMP/scaled.report.png" "$E2E_TMP/scaled.blocky.png"
e2e_check "Save Image at scale 2" save_image_keys two
e2e_check "the saved image is the same at either scale" cmp -s "$E2E_TMP/one.bmp" "$E2E_TMP/two.bmp"
e2e_stop_program

# ---- weston headless: no seat, so no window is ever activated ----------------
program=$E2E_APP/$(basename "$E2E_PROGRAM")
# Each run has a log of its own: "program >log &" truncates the log only
# once the child runs, so a shared one could still show the last run's lines.
wayland_log=$E2E_TMP/wayland.headless.log
e2e_weston_start headless --backend=headless-backend.so
WAYLAND_DISPLAY=headless QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client "$program" >"$wayland_log" 2>&1 &
E2E_PID=$!
e2e_check "weston headless: the database loads without an activation" \
    e2e_wait_until grep -qF 'set_title("Please wait...")' "$wayland_log"
e2e_equal "weston headless: the progress window's parent" "$MAIN_CAPTION" \
    "$(e2e_wayland_parent "$wayland_log" "Please wait...")"
e2e_check "weston headless: app_id is the desktop entry's name" \
    grep -qF 'set_app_id("example.quorvex.Quorvex")' "$wayland_log"
e2e_check "weston headless: the program runs on" kill -0 "$E2E_PID"
e2e_stop_program
e2e_weston_stop

# ---- weston nested, with a seat and Xwayland ----------------------------------
e2e_weston_start nested --backend=x11-backend.so --xwayland --width=1100 --height=900
# Clients are served once weston's own X window shows.
weston_window=
e2e_wait_until grep -q 'x11 output .*window id' "$E2E_TMP/nested.log" &&
    weston_window=$(sed -n 's/.*x11 output .*, window id \([0-9]*\)$/\1/p' "$E2E_TMP/nested.log") &&
    e2e_wait_until e2e_viewable "$weston_window" ||
    e2e_abort "weston nested shows no window: $(tail -5 "$E2E_TMP/nested.log")"
# The program natively on weston with a seat: its progress window and its
# dialogs have their parent there too.
wayland_log=$E2E_TMP/wayland.nested.log
WAYLAND_DISPLAY=nested QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client "$program" >"$wayland_log" 2>&1 &
E2E_PID=$!
e2e_wait_until grep -qF 'set_title("Please wait...")' "$wayland_log" ||
    e2e_log "the program on weston nested: $(grep -v '^\[' "$wayland_log" | tail -5)"
e2e_equal "weston nested: the progress window's parent" "$MAIN_CAPTION" \
    "$(e2e_wayland_parent "$wayland_log" "Please wait...")"
# Grams from the keyboard: weston passes on what its X window gets to the
# program's window, which it activated.
xdotool windowfocus --sync "$weston_window" && sleep 0.5 &&
    xdotool key --delay 100 alt Right Right Right Return
e2e_wait_until grep -qF 'set_title("USDA R14")' "$wayland_log"
e2e_equal "weston nested: the amount dialog's parent" "$MAIN_CAPTION" \
    "$(e2e_wayland_parent "$wayland_log" "USDA R14")"
e2e_stop_program

# The progress window went away under weston's X11 window manager, where
# it stayed on show when its map request was handled after it was hidden.
e2e_wait_until grep -q 'xserver listening on display' "$E2E_TMP/nested.log"
xwayland=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$E2E_TMP/nested.log")
for run in 1 2; do
    DISPLAY=$xwayland QT_QPA_PLATFORM=xcb "$program" >/dev/null 2>&1 &
    E2E_PID=$! E2E_MAIN=
    DISPLAY=$xwayland e2e_wait_until e2e_find_main_window && sleep 1
    waiting=$(DISPLAY=$xwayland xdotool search --name '^Please wait\.\.\.$' | head -n1)
    DISPLAY=$xwayland e2e_check "Xwayland, run $run: the progress window is off the screen" \
        e2e_not_viewable "$waiting"
    e2e_equal "Xwayland, run $run: the progress window belongs to the main window" "$E2E_MAIN" \
        "$(DISPLAY=$xwayland e2e_transient_for "$waiting")"
    e2e_stop_program
done
e2e_weston_stop
e2e_end
