# SPDX-License-Identifier: GPL-3.0-or-later
quorvex_test(list_core_tests word_filter_test.cpp list_filter_test.cpp list_settings_test.cpp
  LIBS quorvex_test_support quorvex_import)

quorvex_test(list_window_tests list_window_test.cpp QT
  LIBS quorvex_qt_test_support quorvex_fdc_download Qt6::Test)
