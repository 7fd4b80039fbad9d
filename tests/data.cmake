# SPDX-License-Identifier: GPL-3.0-or-later
# The foods-file encoder, its command-line tool and the bundled sample
# database.
quorvex_test(encoder_tests encoder_test.cpp LIBS quorvex_test_support)
target_compile_definitions(encoder_tests PRIVATE ENCODE_FOODS="$<TARGET_FILE:encode-foods>")
add_dependencies(encoder_tests encode-foods)

quorvex_test(sample_data_tests sample_data_test.cpp LIBS quorvex_core)
add_dependencies(sample_data_tests sample_database)
