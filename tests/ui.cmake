quorvex_test(ui_tests ui_test.cpp QT LIBS quorvex_ui)
