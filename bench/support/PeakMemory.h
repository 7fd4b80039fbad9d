// SPDX-License-Identifier: GPL-3.0-or-later
// This process's own peak resident memory. (A child's ru_maxrss is no
// substitute: on Linux it includes the peak of the parent it was spawned
// from.)
#pragma once

namespace quorvex::bench {

// VmHWM of /proc/self/status in KiB; -1 when it cannot be read.
long long PeakResidentKiB();

}  // namespace quorvex::bench
