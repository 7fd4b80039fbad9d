# SPDX-License-Identifier: GPL-3.0-or-later
# Watches the programs' windows through the X server.
find_package(X11 REQUIRED)
quorvex_bench(startup_bench startup_bench.cpp LIBS X11::X11)
add_dependencies(startup_bench bare_window quorvex)
target_compile_definitions(startup_bench PRIVATE
  QUORVEX_BARE_WINDOW="$<TARGET_FILE:bare_window>"
  QUORVEX_PROGRAM="$<TARGET_FILE:quorvex>")
