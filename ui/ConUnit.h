// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window: "Please wait..." with one progress bar, shown
// without modality while a table is loaded or scanned.
#pragma once

#include <QDialog>
#include <chrono>

#include "db/Progress.h"

class QProgressBar;

namespace quorvex {

class TConForm : public QDialog, public ProgressSink {
    Q_OBJECT
  public:
    // parent: the window it is shown over when no modal window is open.
    explicit TConForm(QWidget* parent = nullptr);

    // Shows the window over the modal window on top, or else over its
    // parent, so the window system keeps it there.
    void BeginProgress(int maximum) override;
    // Called for every line of a scan. The bar is set only when its filled
    // width in pixels would change, and always at 0 and from maximum - 1
    // on, so it looks as if it were set every time: setting it costs far
    // more than a line of a scan. A bar set is painted at once, without the
    // event loop, when a frame's time has passed since the last paint.
    void SetPosition(int position) override;
    void EndProgress() override;

    QProgressBar* ProgressBar = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    long long FilledWidth(int position) const;

    int maximum_ = 0;
    long long shownWidth_ = -1;
    static constexpr std::chrono::milliseconds kFrame{16};
    std::chrono::steady_clock::time_point paintedAt_;
};

}  // namespace quorvex
