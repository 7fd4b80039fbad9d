#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whatever another local user plants at the settings path: List Food still
# opens and closes, reads nothing through it, leaves it as it was and says
# "Unable to write to /var/tmp/VARDELO.ini" at closing; a file of the
# user's own keeps its mode.
# Arguments: quorvex, encode-foods, the sample data folder.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"

SECRET=$E2E_TMP/secret
printf '[Lista Ingredientes]\nAtiFilPalCha=1\nPalCha=SECRET\n' >"$SECRET"
chmod 600 "$SECRET"
e2e_data "$E2E_TMP/sample"

# put_at_path KIND [OWNER MODE]: what stands at the settings path for one case.
put_at_path() {
    case $1 in
        fifo) mkfifo "$E2E_SETTINGS" ;;
        link-to-secret) ln -s "$SECRET" "$E2E_SETTINGS" ;;
        link-to-device) ln -s /dev/zero "$E2E_SETTINGS" ;;
        folder) mkdir "$E2E_SETTINGS" ;;
        file) # a settings file with a word filter
            printf '[Lista Ingredientes]\nAtiFilPalCha=1\nPalCha=SHARED\n' >"$E2E_SETTINGS"
            chown "$2" "$E2E_SETTINGS" && chmod "$3" "$E2E_SETTINGS"
            ;;
        *) return 1 ;;
    esac
}
# Each case: the plant's words | the list caption | the message at closing.
LIST_CAPTION="USDA R14 - USE DOUBLE CLICK TO SELECT"
UNABLE="Unable to write to $E2E_SETTINGS"
cases=(
    "fifo|$LIST_CAPTION|$UNABLE"
    "link-to-secret|$LIST_CAPTION|$UNABLE"
    "link-to-device|$LIST_CAPTION|$UNABLE"
    "folder|$LIST_CAPTION|$UNABLE"
    "file nobody 4755|$LIST_CAPTION - WORD : SHARED|$UNABLE"
    "file nobody 644|$LIST_CAPTION - WORD : SHARED|$UNABLE"
    "file root 640|$LIST_CAPTION - WORD : SHARED|"
)
# closing_box: prints the active window when it is neither the list nor
# the main window: the message box that closing the list shows.
closing_box() {
    local now
    now=$(e2e_active)
    [ -n "$now" ] && [ "$now" != "$list" ] && [ "$now" != "$main" ] && echo "$now"
}
# fingerprint: what stands at the path, as far as can be told without
# opening a FIFO or reading a device.
# Its first line is the kind, mode and owner.
fingerprint() {
    stat -c '%F %a %U' "$E2E_SETTINGS"
    stat -c '%s' "$E2E_SETTINGS"
    readlink "$E2E_SETTINGS"
    [ ! -f "$E2E_SETTINGS" ] || [ -L "$E2E_SETTINGS" ] || md5sum <"$E2E_SETTINGS"
}

for case in "${cases[@]}"; do
    IFS='|' read -r plant caption message <<<"$case"
    read -r -a plant_words <<<"$plant"
    rm -rf "${E2E_SETTINGS:?}" "$E2E_SETTINGS".*
    put_at_path "${plant_words[@]}" || e2e_fail "$plant: planted"
    before=$(fingerprint)
    e2e_start_program "$E2E_PROGRAM" "$E2E_TMP/sample" || {
        e2e_fail "$plant: the main window shows"
        continue
    }
    main=$E2E_MAIN
    e2e_menu "$main" "List Food"
    if ! list=$(e2e_wait_other_active "$main"); then
        e2e_fail "$plant: List Food opens the list"
        e2e_stop_program
        continue
    fi
    e2e_equal "$plant: the list opens, set up (a hung one keeps its first caption)" "$caption" "$(e2e_title "$list")"
    e2e_keys "$list" Return
    if [ -n "$message" ]; then
        # The box comes while the list is closing, over it.
        box=$(e2e_wait_until closing_box) && e2e_wait_stable "$box" &&
            read_text=$(e2e_window_texts "$box") || read_text="(no message)"
        e2e_check "$plant: says \"$message\" at closing ($read_text)" grep -qF "$message" <<<"$read_text"
    else
        e2e_wait_closed "$list"
        e2e_check "$plant: nothing to say at closing" e2e_wait_stable "$main"
        e2e_check "$plant: closing wrote the settings" grep -q '^PosFilOrd=' "$E2E_SETTINGS"
    fi
    if [ -n "$message" ]; then
        e2e_equal "$plant: left as it was" "$before" "$(fingerprint)"
    else
        e2e_equal "$plant: kind, mode and owner kept" "$(head -n1 <<<"$before")" "$(fingerprint | head -n1)"
    fi
    e2e_equal "$plant: nothing else in /var/tmp" "VARDELO.ini" "$(ls -A /var/tmp)"
    e2e_check "$plant: nothing read through a link lands anywhere" test -z "$(grep -rl SECRET /var/tmp)"
    e2e_stop_program
done
e2e_end
