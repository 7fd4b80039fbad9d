// SPDX-License-Identifier: GPL-3.0-or-later
// Where a long load or scan reports how far it has got.
#pragma once

namespace quorvex {

// A user calls BeginProgress once with the maximum position (>= 0), then
// SetPosition any number of times with positions from 0 to maximum, never
// going back, then EndProgress once; work too short to report calls none
// of them. The next piece of work starts again with BeginProgress. Work
// that fails between the two still calls EndProgress (ProgressShowing); a
// sink must accept BeginProgress in any state.
class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    virtual void BeginProgress(int maximum) = 0;
    virtual void SetPosition(int position) = 0;
    virtual void EndProgress() = 0;
};

// Shows progress while it lives: BeginProgress when made, EndProgress when
// destroyed, so that a failure in between does not leave the progress on
// show.
class ProgressShowing {
  public:
    ProgressShowing(ProgressSink& sink, int maximum) : sink_(sink) { sink_.BeginProgress(maximum); }
    ~ProgressShowing() { sink_.EndProgress(); }
    ProgressShowing(const ProgressShowing&) = delete;
    ProgressShowing& operator=(const ProgressShowing&) = delete;

    void SetPosition(int position) { sink_.SetPosition(position); }

  private:
    ProgressSink& sink_;
};

// i * 100 / count rounded to nearest, ties to even. Precondition: count > 0.
int ProgressPercent(int i, int count);

}  // namespace quorvex
