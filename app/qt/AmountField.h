// SPDX-License-Identifier: GPL-3.0-or-later
// The amount field: six integer digits and one decimal in eight fixed
// positions, the comma fixed at the seventh. Only digits fill a position;
// a comma typed before the decimal moves the caret onto it.
#pragma once

#include <string>

#include "ui/MaskField.h"

namespace quorvex {

// The field's edit mask: six digits, a fixed comma, one digit.
extern const char* const kAmountMask;

class AmountField : public MaskField {
    Q_OBJECT
  public:
    explicit AmountField(QWidget* parent = nullptr);

    // Eight characters with spaces in blank positions and the comma at
    // position 7, "      , " when empty.
    std::string Text() const { return Cells(); }

    // Takes text as the field's content: digits stay in digit positions,
    // anything else there becomes a blank, and the comma stays at position
    // 7 whatever stands there in text. Drops the selection and keeps the
    // caret where it was.
    void SetText(const std::string& text) { SetCells(text); }

  protected:
    bool Holds(char byte) const override;
};

}  // namespace quorvex
