#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What a screen reader gets, through AT-SPI: the report as text, row by
# row in reading order with the nutrient rows in words, named by its food
# and following Grams and the food; a caret the arrow keys move through
# it; the amount and word fields as labelled editable text with caret and
# selection; the menus, list rows, group items and buttons as before.
# Arguments: quorvex, encode-foods, the sample data folder.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"

MAIN_CAPTION="Composition of Foods Raw, Processed, Prepared - USDA Nutrient Database Release 14"
# Three foods, in table order BUTTER, CHEESE, LARD.
FOODS='^(Butter, salted|Lard|Cheese, cheddar, mild, shredded)\|'
e2e_data "$E2E_TMP/foods" "$FOODS"
e2e_start_program "$E2E_PROGRAM" "$E2E_TMP/foods" || {
    e2e_fail "the main window shows"
    e2e_end
}
main=$E2E_MAIN
tree() { $E2E_ATSPI tree "$E2E_PID"; }
has_node() { grep -qF "$1" <<<"$TREE"; }
focus_reads() { # focus_reads W KEY=VALUE...: the focused text of W says so
    local seen want
    seen=$($E2E_ATSPI focus "$E2E_PID" "$(e2e_title "$1")") || return 1
    shift
    for want in "$@"; do
        grep -qxF -- "$want" <<<"$seen" || { e2e_log "no $want in: ${seen//$'\n'/ | }"; return 1; }
    done
}

# reads_report FOOD AMOUNT: the report's text holds, in this order, every
# row of FOOD's report at AMOUNT grams (values checked at 100 and 200 g,
# where scaling keeps every stored decimal exact).
reads_report() {
    TEXT=$(e2e_report_text "$main") LINE=$(grep -aE "^$1\|" "$E2E_SAMPLE/foods.txt") \
        GROUPS=$(cat "$E2E_SAMPLE/groups.txt") LABELS=$(e2e_nutrient_labels) awk -v amount="$2" '
        function trim(s) { sub(/^ +/, "", s); sub(/ +$/, "", s); return s }
        function want(s) { expect[++n] = trim(s) }
        function nutrients(from, to,   i, name, unit, v, d) {
            for (i = from; i <= to; i++) {
                name = label[i]; sub(/_.*/, "", name)
                unit = label[i]; sub(/^[^_]*_+/, "", unit); gsub(/_/, " ", unit)
                v = field[i + 1]
                d = index(v, ".") ? length(v) - index(v, ".") : 0
                want(v == "" ? trim(name) ": no reliable data" : trim(name) " " sprintf("%." d "f", v * amount / 100) " " unit)
            }
        }
        BEGIN {
            split(ENVIRON["LINE"], field, "|"); split(ENVIRON["LABELS"], label, "\n")
            ng = split(ENVIRON["GROUPS"], groups, "\n")
            want(toupper(field[1]))
            want("Amount in " amount " grams of edible portion - Blanks indicate lack of reliable data")
            want("Percentage of Refuse : " (field[39] == "" ? "" : field[39] "%") (field[40] == "" ? "" : " ( " field[40] " )"))
            want("PROXIMATES :"); nutrients(1, 7); want("MINERALS :"); nutrients(8, 17)
            want("NAMES :"); want("Common: " field[41]); want("Scient: " field[42])
            for (i = 1; i <= ng; i++) if (index(groups[i], field[38] "|") == 1) want("Group : " substr(groups[i], length(field[38]) + 2))
            want("HOUSEHOLD WEIGHT :")
            k = split(field[43], weights, "~"); for (i = 1; i < k; i++) want(weights[i] " g")
            want("USDA Nutrient Database for Standard Reference, Release 14 (2001)")
            want("VITAMINS :"); nutrients(18, 32); want("LIPIDS :"); nutrients(33, 36)
            m = split(ENVIRON["TEXT"], got, "\n")
            for (i = 1; i <= n; i++) {
                while (j < m && got[++j] != expect[i]) {}
                if (got[j] != expect[i]) { print "missing or out of order: " expect[i]; exit 1 }
            }
        }'
}

TREE=$(tree)
while IFS= read -r line; do echo "    $line"; done <<<"$TREE"
e2e_check "the main window is a frame named by its caption" has_node "frame \"$MAIN_CAPTION\""
e2e_check "the report is read-only text named by its food" has_node 'text "Butter, salted" [enabled focusable focused multi line read only'
for item in "Previous Food" "Next Food" "List Food" "Grams" "Save Image" "Print" "Exit"; do
    e2e_check "menu item \"$item\"" has_node "menu item \"$item\""
done
e2e_check "the report reads BUTTER's rows in order at 100 g" reads_report "Butter, salted" 100

# The caret: Down moves it a line on, End to the end of the line.
second_line_end=$(e2e_report_text "$main" | awk 'NR <= 2 { n += length($0) } END { print n + 1 }')
e2e_keys "$main" Down End
e2e_check "Down, End: the caret at the end of the amount line" focus_reads "$main" \
    "caret=$second_line_end"

# Grams: the amount field, labelled, with its caret and selection.
e2e_menu "$main" "Grams"
dialog=$(e2e_wait_other_active "$main")
TREE=$(tree)
for button in Ok Cancel; do
    e2e_check "push button \"$button\"" has_node "push button \"$button\""
done
e2e_check "the amount field opens at 100 all selected" focus_reads "$dialog" "role=text" \
    "name=Amount in" "labelled-by=Amount in" "text=   100,0" "caret=8" "selection=0 8"
e2e_type "$dialog" 12
e2e_check "typing 12 over it" focus_reads "$dialog" "text=12    , " "caret=2" "selection=0 0"
e2e_keys "$dialog" BackSpace BackSpace && e2e_type "$dialog" 200
e2e_press "$dialog" Ok && e2e_wait_closed "$dialog" && e2e_activate "$main"
e2e_check "Grams 200: the report reads the rows at 200 g" reads_report "Butter, salted" 200
e2e_menu "$main" "Next Food" && e2e_wait_stable "$main"
TREE=$(tree)
e2e_check "Next Food: the report is named by the new food" has_node 'text "Cheese, cheddar, mild, shredded"'
e2e_check "Next Food: the report reads its rows at 100 g" reads_report "Cheese, cheddar, mild, shredded" 100

# The list: its rows with their text, the word field, the group items.
e2e_menu "$main" "List Food"
list=$(e2e_wait_other_active "$main")
TREE=$(tree)
e2e_check "the list rows are read with their food" has_node "\"Cheese, cheddar, mild, shredded\""
e2e_menu "$list" "Words Filter"
words=$(e2e_wait_other_active "$list")
e2e_type "$words" chedd
e2e_check "the word field, named by its dialog" focus_reads "$words" "role=text" \
    "name=Type the words to filter list" "labelled-by=Type the words to filter list" \
    "text=CHEDD$(printf '%35s' '')" "caret=5"
e2e_menu "$words" "Cancel" && e2e_wait_closed "$words"
# The group items, the one filtering checked.
group_items() { e2e_menu "$list" "Group Filter" && sleep 0.5 && TREE=$(tree); }
group_items && e2e_keys "$list" Down Down Return && e2e_wait_stable "$list" && group_items
e2e_check "the group items are read with their names" has_node 'menu item "Milk, Cheese and Eggs" ['
e2e_check "the filtering group is checked" has_node 'menu item "Fats and Oils" [checked'
e2e_keys "$list" Escape Escape
e2e_menu "$list" "Return"
e2e_end
