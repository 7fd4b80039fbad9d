// SPDX-License-Identifier: GPL-3.0-or-later
// The entry field of the word filter: 40 fixed positions of Windows-1252
// text. Every letter typed or pasted is turned to its capital; text the
// program puts in is shown as it is.
#pragma once

#include <string>

#include "ui/MaskField.h"

namespace quorvex {

class WordEdit : public MaskField {
    Q_OBJECT
  public:
    static constexpr int kLength = 40;

    explicit WordEdit(QWidget* parent = nullptr);

    // The content without the unfilled positions at its end, every other
    // unfilled position read as a blank.
    std::string Text() const;

    // Shows text unchanged (no case conversion), cut to 40 characters and
    // padded with unfilled positions; the caret goes after it.
    void SetText(const std::string& text);

  protected:
    bool Holds(char byte) const override;
    // A letter's capital when Windows-1252 has it: é gives É, ÿ gives Ÿ,
    // while µ stays, since its capital does not fit.
    char TypedByte(char key) const override;
};

}  // namespace quorvex
