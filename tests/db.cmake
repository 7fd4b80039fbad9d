# SPDX-License-Identifier: GPL-3.0-or-later
add_library(quorvex_test_support STATIC support/TestSupport.cpp)
target_link_libraries(quorvex_test_support PUBLIC quorvex_encoder)

# Widget tests link this instead of GTest::gtest_main.
add_library(quorvex_qt_test_main STATIC support/QtTestMain.cpp)
target_link_libraries(quorvex_qt_test_main PUBLIC quorvex_ui GTest::gtest)

quorvex_test(db_tests db_text_test.cpp db_table_test.cpp LIBS quorvex_test_support)

add_library(quorvex_qt_test_support STATIC support/QtTestSupport.cpp)
target_link_libraries(quorvex_qt_test_support PUBLIC quorvex_test_support quorvex_ui)

quorvex_test(main_window_tests main_window_test.cpp QT LIBS quorvex_qt_test_support)

quorvex_test(hostile_files_tests hostile_files_test.cpp LIBS quorvex_test_support)
