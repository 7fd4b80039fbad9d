// SPDX-License-Identifier: GPL-3.0-or-later
// A menu that scrolls instead of spreading into columns.
#pragma once

class QMenu;

namespace quorvex {

// Makes menu scroll within the screen when its items do not fit in its
// height, with scroll arrows at its ends for the mouse and Home, End, Page Up
// and Page Down for the keyboard, instead of laying them out in columns that
// run off the screen's right edge. Everything else keeps the look of the
// menu's current style. Call it before the menu is first shown; the style it
// gives the menu belongs to the menu.
void MakeScrollable(QMenu& menu);

}  // namespace quorvex
