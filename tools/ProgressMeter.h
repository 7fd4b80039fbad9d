// SPDX-License-Identifier: GPL-3.0-or-later
// The importer's progress: the share of its input bytes consumed, in whole
// percent.
#pragma once

#include <cstddef>

namespace quorvex {

class ProgressSink;

// Inputs at least this long (all five files together) show progress.
inline constexpr std::size_t kProgressMinimumBytes = 1 << 20;

class ProgressMeter {
  public:
    // Shows sink (at 0 of 100) when totalBytes is at least
    // kProgressMinimumBytes; a null sink shows nothing. sink must outlive
    // the meter.
    ProgressMeter(ProgressSink* sink, std::size_t totalBytes);
    // Closes the sink shown, also when the import stops on a failure.
    ~ProgressMeter();
    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;

    // Counts bytes more as consumed; the sink hears only of whole percents
    // that changed.
    void Advance(std::size_t bytes);

  private:
    ProgressSink* sink_;
    std::size_t total_;
    std::size_t done_ = 0;
    int shown_ = 0;
};

}  // namespace quorvex
