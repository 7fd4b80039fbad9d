# SPDX-License-Identifier: GPL-3.0-or-later
quorvex_test(report_core_tests report_layout_test.cpp LIBS quorvex_test_support)
quorvex_test(report_window_tests report_image_test.cpp QT
  LIBS quorvex_qt_test_support Qt6::Test)
quorvex_test(amount_dialog_tests amount_dialog_test.cpp QT
  LIBS quorvex_qt_test_support Qt6::Test)
# The report on a screen scaled by 2.
add_test(NAME report_window_scaled
  COMMAND report_window_tests --gtest_filter=ReportWindowTest.SharpCopyAtTheScreensRatio)
set_tests_properties(report_window_scaled PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2")
