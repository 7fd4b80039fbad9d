// SPDX-License-Identifier: GPL-3.0-or-later
// Where windows open.
#pragma once

class QApplication;

namespace quorvex {

// From now on every window and dialog of application, on its first showing
// exactly as on later ones, opens with its client area centred: over its
// parent window's client area when it has a visible one (message boxes,
// the file dialog), else on its screen's available area (the program's own
// windows, made with FixedFrame, whatever window they belong to); moved back onto that area when it
// would stick out. Popups and tooltips are left where Qt puts them. What this installs belongs to
// application.
//
// The client area is placed, not the frame: before its first showing the
// window manager has not framed the window, so a frame position would rest
// on a guess at the frame's size (Qt's guess came out about 20 pixels
// higher than later showings under a real window manager).
void CentreEveryWindow(QApplication& application);

}  // namespace quorvex
