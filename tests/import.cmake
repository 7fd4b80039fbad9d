quorvex_test(import_sr_tests import_sr_test.cpp LIBS quorvex_import quorvex_test_support)
# The tool itself is run for its exit status and messages.
add_dependencies(import_sr_tests import-sr)
target_compile_definitions(import_sr_tests PRIVATE IMPORT_SR_PATH="$<TARGET_FILE:import-sr>")
