// SPDX-License-Identifier: GPL-3.0-or-later
// Small text helpers for blank runs, fixed-width columns and the amount
// field. Every helper takes its arguments by value, returns a new text and
// keeps no state. Texts are single-byte; lengths count bytes. The decimal
// separator these helpers know is the comma.
#pragma once

#include <string>

namespace quorvex {

// n copies of text joined; empty when n <= 0.
std::string RepeatText(const std::string& text, int n);

// text padded with blanks on the right to n bytes, or cut to its first n.
// n <= 0 gives the empty text.
std::string FitText(const std::string& text, int n);

// The blanks at the end of text move to its front; an all-blank text gets
// "0" as its last character first. Precondition: text is not empty (an
// empty text comes back empty).
std::string AlignRightText(std::string text);

// The part before the first comma is right-aligned against the comma (an
// all-blank integer part ends in "0"); without a comma, AlignRightText.
// The comma keeps its position and the decimals are untouched.
std::string AlignDecimalText(std::string text);

// Every blank from the first comma to the end becomes "0".
std::string ZeroFillDecimals(std::string text);

// text with every oldChar replaced by newChar (the replacement comes first).
std::string ReplaceChar(char newChar, char oldChar, std::string text);

// The mask's first section (up to its first ';') with every '9' blanked:
// the text of an empty field edited with that mask.
std::string MaskBlankText(const std::string& mask);

}  // namespace quorvex
