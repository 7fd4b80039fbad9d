// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/HugePages.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <system_error>

namespace quorvex {

void AdviseHugePages(const void* data, std::size_t size) {
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + kHugePage - 1) / kHugePage * kHugePage;
    const std::uintptr_t last = (start + size) / kHugePage * kHugePage;
    if (first < last) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

namespace {

constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

// How far ahead of the filling the pages are faulted in: far enough that
// the filler never waits, near enough that a filling that stops early
// leaves little faulted in for nothing.
constexpr std::size_t kFaultAheadBytes = std::size_t{64} << 20;

// Below this, a thread costs more than the faults it would take.
constexpr std::size_t kFaultAheadFrom = std::size_t{32} << 20;

// What filled_ holds once the thread is to stop.
constexpr std::size_t kStop = std::numeric_limits<std::size_t>::max();

}  // namespace

FaultAhead::FaultAhead(char* data, std::size_t size) : data_(data), size_(size) {
    if (size_ < kFaultAheadFrom) return;
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread to be had: the filling takes every fault itself.
    }
}

FaultAhead::~FaultAhead() {
    if (!thread_.joinable()) return;
    filled_.store(kStop);
    filled_.notify_one();
    thread_.join();
}

void FaultAhead::FilledUpTo(std::size_t offset) {
    filled_.store(offset);
    filled_.notify_one();
}

void FaultAhead::Run() {
    constexpr std::uintptr_t kPage = 4096;
    const auto start = reinterpret_cast<std::uintptr_t>(data_);
    // Whole pages, from the first huge page boundary on: the filler takes
    // the faults of the first stretch before the thread gets going anyway.
    std::uintptr_t next = (start + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
    const std::uintptr_t end = (start + size_) / kPage * kPage;
    while (next < end) {
        const std::size_t filled = filled_.load();
        if (filled == kStop) return;
        // A huge page at a time, so that a stop is seen soon.
        const std::uintptr_t stop = std::min(
            {end, (start + filled + kFaultAheadBytes) / kPage * kPage, next + kHugePageBytes});
        if (stop <= next) {
            filled_.wait(filled);
            continue;
        }
        if (madvise(reinterpret_cast<void*>(next), stop - next, MADV_POPULATE_WRITE) != 0) return;
        next = stop;
    }
}

}  // namespace quorvex
