# SPDX-License-Identifier: GPL-3.0-or-later
quorvex_bench(report_bench report_bench.cpp LIBS quorvex_qt_test_support)
