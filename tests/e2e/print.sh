#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Print through a real print queue: a CUPS scheduler of the test's own
# with PDF queues. "Confirm print?" answered No prints nothing; Yes sends
# one portrait page holding the report of the food on show at the amount
# set by Grams; a queue made the default while the program runs is used.
# Arguments: quorvex, encode-foods, the sample data folder.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
for tool in cupsd lpadmin lpstat pdfinfo pdftotext; do
    command -v "$tool" >/dev/null || e2e_skip "$tool is not installed (scripts/test installs it)"
done
[ -x /usr/lib/cups/backend/cups-pdf ] || e2e_skip "the cups-pdf backend is not installed"

# The scheduler's configuration, spool and socket are private to this
# mount namespace, so the machine's printers and other tests' are unseen.
start_cups() {
    local dir
    for dir in /run/cups /var/spool/cups /var/spool/cups-pdf /var/cache/cups /var/log/cups; do
        mkdir -p "$dir" && mount -t tmpfs -o mode=0755 "e2e-cups" "$dir" || return 1
    done
    chgrp lp /var/spool/cups && chmod 0710 /var/spool/cups
    mkdir -p "$E2E_TMP/cups" && cp -a /etc/cups/. "$E2E_TMP/cups/" && mount --bind "$E2E_TMP/cups" /etc/cups &&
        rm -f /etc/cups/printers.conf /etc/cups/classes.conf || return 1
    cat >/etc/cups/cupsd.conf <<'CONF'
LogLevel warn
Listen /run/cups/cups.sock
Browsing No
WebInterface No
PreserveJobFiles Yes
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
    printf 'Out /var/spool/cups-pdf/out\nAnonDirName /var/spool/cups-pdf/out\nGrp root\n' \
        >/etc/cups/cups-pdf.conf
    export CUPS_SERVER=/run/cups/cups.sock
    cupsd -f >"$E2E_TMP/cupsd.log" 2>&1 &
    E2E_CUPSD=$!
    e2e_wait_until scheduler_running
}
scheduler_running() { [ "$(lpstat -r)" == "scheduler is running" ]; }
stop_cups() { [ -z "${E2E_CUPSD:-}" ] || kill "$E2E_CUPSD" 2>/dev/null; }
add_default_queue() { # add_default_queue NAME
    lpadmin -p "$1" -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>>"$E2E_TMP/lpadmin.log" &&
        lpadmin -d "$1"
}
start_cups || e2e_abort "the private CUPS scheduler did not start: $(cat "$E2E_TMP/cupsd.log")"
trap 'stop_cups; e2e_cleanup' EXIT
add_default_queue pdf1 || e2e_fail "a PDF queue, made the default"

# Two foods: ALMONDS, then BUTTER.
FOODS='^(Almonds, raw|Butter, salted)\|'
e2e_data "$E2E_TMP/two" "$FOODS"
e2e_start_program "$E2E_PROGRAM" "$E2E_TMP/two" || {
    e2e_fail "the main window shows"
    e2e_end
}
main=$E2E_MAIN

# confirm KEY: Print, then the button whose access key (alt+y, alt+n) is
# KEY in the confirmation box (OCR cannot read its small buttons).
confirm() {
    local box
    e2e_menu "$main" "Print" && box=$(e2e_wait_other_active "$main") || return 1
    e2e_equal "confirmation caption" "Confirm" "$(e2e_title "$box")"
    e2e_shot "$box" "$E2E_TMP/box.png"
    e2e_check "the box asks \"Confirm print?\"" e2e_holds_text "$(e2e_ocr_text "$E2E_TMP/box.png")" "Confirm print?"
    e2e_keys "$box" "$1" && e2e_wait_closed "$box" && e2e_activate "$main"
}
jobs_done() { lpstat -W completed -o | awk '{print $1}' | sort | tr '\n' ' '; }
# printed_job N FILE: once CUPS has completed its Nth job, the document it
# received for that job copied to FILE, and the PDF the queue wrote last
# to FILE.out. (The program sends the job after the box has closed.)
printed_job() {
    e2e_wait_until jobs_completed "$1" || return 1
    cp "/var/spool/cups/d$(printf %05d "$1")-001" "$2" &&
        cp "$(newest /var/spool/cups-pdf/out '*.pdf')" "$2.out"
}
jobs_completed() { [ "$(lpstat -W completed -o | wc -l)" -ge "$1" ]; }
newest() { find "$1" -name "$2" -printf '%T@ %p\n' | sort -n | tail -n1 | cut -d' ' -f2-; }
# holds_report FILE FOOD AMOUNT: FILE's text holds the report of FOOD (its
# plain line starts so) at AMOUNT grams: the title, the amount line and
# every nutrient row with its value scaled. Values are checked at 100 and
# 200 g only, where scaling keeps every stored decimal exact.
holds_report() {
    local text
    text=$(pdftotext -layout "$1" - | tr -s ' ') || return 1
    TEXT=$text LINE=$(grep -aE "^$2\|" "$E2E_SAMPLE/foods.txt") LABELS=$(e2e_nutrient_labels) \
        awk -v amount="$3" -v title="$2" '
        function holds(s) { if (index(" " text " ", s)) return 1; print "missing: " s; failed = 1 }
        BEGIN {
            text = ENVIRON["TEXT"]; line = ENVIRON["LINE"]; labels = ENVIRON["LABELS"]
            gsub(/\n/, " \n ", text)
            holds(toupper(title))
            holds("Amount in " amount " grams of edible portion")
            split(line, field, "|")
            n = split(labels, label, "\n")
            for (i = 1; i <= n; i++) {
                v = field[i + 1]
                d = index(v, ".") ? length(v) - index(v, ".") : 0
                shown = v == "" ? "" : sprintf("%." d "f", v * amount / 100)
                row = label[i] " " shown
                gsub(/  +/, " ", row)
                gsub(/^ | $/, "", row)
                holds(" " row " ")
            }
            exit failed
        }'
}
# one_portrait_page FILE
one_portrait_page() {
    pdfinfo "$1" | awk '/^Pages:/ {pages = $2} /^Page size:/ {w = $3; h = $5}
        END { if (pages != 1 || !(w < h)) { print "pages " pages ", size " w " x " h; exit 1 } }'
}

e2e_menu "$main" "Next Food"
e2e_wait_stable "$main"
grams_200() {
    local dialog
    e2e_menu "$main" "Grams" && dialog=$(e2e_wait_other_active "$main") && e2e_type "$dialog" 200 &&
        e2e_press "$dialog" Ok && e2e_wait_closed "$dialog" && e2e_activate "$main"
}
e2e_check "Grams 200" grams_200

e2e_check "Print, answered No" confirm alt+n
sleep 1
e2e_equal "No prints nothing" "" "$(lpstat -W all -o)"

e2e_check "Print, answered Yes" confirm alt+y
e2e_check "the job reached CUPS" printed_job 1 "$E2E_TMP/job1.pdf"
e2e_equal "the job went to the default queue" "pdf1-1 " "$(jobs_done)"
e2e_check "the job is one portrait page" one_portrait_page "$E2E_TMP/job1.pdf"
e2e_check "the queue wrote one portrait page" one_portrait_page "$E2E_TMP/job1.pdf.out"
e2e_check "the page holds BUTTER's report at 200 g" holds_report "$E2E_TMP/job1.pdf" "Butter, salted" 200

# A queue made the default while the program runs takes the next job.
add_default_queue pdf2 || e2e_fail "a second PDF queue, made the default"
e2e_menu "$main" "Previous Food"
e2e_check "Print after Previous Food, answered Yes" confirm alt+y
e2e_check "the second job reached CUPS" printed_job 2 "$E2E_TMP/job2.pdf"
e2e_equal "the second job went to the new default queue" "pdf1-1 pdf2-2 " "$(jobs_done)"
e2e_check "the page holds ALMONDS' report at 100 g" holds_report "$E2E_TMP/job2.pdf" "Almonds, raw" 100
e2e_end
