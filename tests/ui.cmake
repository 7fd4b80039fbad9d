# SPDX-License-Identifier: GPL-3.0-or-later
quorvex_test(ui_tests ui_test.cpp QT LIBS quorvex_ui)
