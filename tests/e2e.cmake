# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end tests: the built program on a private X display with a window
# manager, driven as a user (tests/e2e/). They need root (a private mount
# namespace) and report themselves skipped otherwise.
set(E2E_DRIVERS main_window list_window settings_file print accessibility desktops)
foreach(driver ${E2E_DRIVERS})
  add_test(NAME e2e_${driver}
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/${driver}.sh
            $<TARGET_FILE:quorvex> $<TARGET_FILE:encode-foods> ${CMAKE_SOURCE_DIR}/data)
  set_tests_properties(e2e_${driver} PROPERTIES LABELS e2e SKIP_RETURN_CODE 77 TIMEOUT 300)
endforeach()
