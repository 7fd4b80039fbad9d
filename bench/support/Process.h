// SPDX-License-Identifier: GPL-3.0-or-later
// Child processes for the benchmarks' baselines and whole-program runs.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace quorvex::bench {

// Starts argv[0] (searched in PATH when it has no "/") with argv, without
// a shell; its standard output goes to outputPath when one is given.
// Throws std::runtime_error when it cannot be started.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& outputPath = {});

// Waits for the child to end (sending SIGTERM first when kill is true).
// Returns its exit status, -1 unless it exited normally.
int Wait(pid_t child, bool kill = false);

}  // namespace quorvex::bench
