# SPDX-License-Identifier: GPL-3.0-or-later
quorvex_bench(list_bench list_bench.cpp LIBS quorvex_qt_test_support)
add_dependencies(list_bench bare_window)
target_compile_definitions(list_bench PRIVATE QUORVEX_BARE_WINDOW="$<TARGET_FILE:bare_window>")
