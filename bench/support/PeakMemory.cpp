// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/support/PeakMemory.h"

#include <fstream>
#include <string>

namespace quorvex::bench {

long long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        long long kib = -1;
        if (word == "VmHWM:" && status >> kib) return kib;
    }
    return -1;
}

}  // namespace quorvex::bench
