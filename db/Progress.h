// Where a long load or scan reports how far it has got.
#pragma once

namespace quorvex {

// A user calls BeginProgress once with the maximum position (>= 0), then
// SetPosition any number of times with positions from 0 to maximum, never
// going back, then EndProgress once; work too short to report calls none
// of them. The next piece of work starts again with BeginProgress. A
// failure between the two may leave EndProgress out, so a sink must accept
// BeginProgress in any state.
class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    virtual void BeginProgress(int maximum) = 0;
    virtual void SetPosition(int position) = 0;
    virtual void EndProgress() = 0;
};

// i * 100 / count rounded to nearest, ties to even. Precondition: count > 0.
int ProgressPercent(int i, int count);

}  // namespace quorvex
