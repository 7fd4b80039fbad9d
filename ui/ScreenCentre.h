// Centring top-level windows on the screen.
#pragma once

class QWidget;

namespace quorvex {

// From now on every showing of window, the first as the later ones, places
// its client area at the centre of its screen's available area. window
// must be a top-level widget; what this installs belongs to it.
//
// The client area is placed, not the frame: before its first showing the
// window manager has not framed the window, so a frame position would be
// taken from a guess at the frame's size and land elsewhere than later.
void CentreOnEveryShowing(QWidget& window);

}  // namespace quorvex
