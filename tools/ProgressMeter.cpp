// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/ProgressMeter.h"

#include "db/Progress.h"

namespace quorvex {

ProgressMeter::ProgressMeter(ProgressSink* sink, std::size_t totalBytes)
    : sink_(totalBytes >= kProgressMinimumBytes ? sink : nullptr), total_(totalBytes) {
    if (sink_ == nullptr) return;
    sink_->BeginProgress(100);
    sink_->SetPosition(0);
}

ProgressMeter::~ProgressMeter() {
    if (sink_ != nullptr) sink_->EndProgress();
}

void ProgressMeter::Advance(std::size_t bytes) {
    if (sink_ == nullptr) return;
    done_ += bytes;
    const int percent = static_cast<int>(done_ * 100 / total_);
    if (percent == shown_) return;
    shown_ = percent;
    sink_->SetPosition(percent);
}

}  // namespace quorvex
