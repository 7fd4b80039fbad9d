#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The viewer as its package lays it out, started through its bin/ link: it
# finds the Dados/ beside its real executable and its main window shows
# that sample's first report.
# Argument: the extracted usr/bin/quorvex, with Dados/ beside the program
# the link leads to.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"

if e2e_start_program "$E2E_PROGRAM" "$(dirname "$(readlink -f "$E2E_PROGRAM")")/Dados"; then
    e2e_check "the first report is the sample's first food" \
        e2e_report_reads "$E2E_MAIN" "ABóBORA CABOTIá, RAW"
else
    e2e_fail "the main window shows"
fi
e2e_end
