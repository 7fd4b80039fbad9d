# SPDX-License-Identifier: GPL-3.0-or-later
quorvex_test(import_sr_tests import_sr_test.cpp LIBS quorvex_import quorvex_test_support)
# The tool itself is run for its exit status and messages.
add_dependencies(import_sr_tests import-sr)
target_compile_definitions(import_sr_tests PRIVATE IMPORT_SR_PATH="$<TARGET_FILE:import-sr>")

# Made-up FoodData Central downloads, also for the benchmark.
add_library(quorvex_fdc_download STATIC support/FdcDownload.cpp)
target_link_libraries(quorvex_fdc_download PUBLIC quorvex_import quorvex_test_support)
quorvex_test(import_fdc_tests import_fdc_test.cpp LIBS quorvex_fdc_download)
add_dependencies(import_fdc_tests import-fdc)
target_compile_definitions(import_fdc_tests PRIVATE IMPORT_FDC_PATH="$<TARGET_FILE:import-fdc>")
