// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/AmountField.h"

#include "db/StrUnit.h"

namespace quorvex {

const char* const kAmountMask = "999999,9;1;_";

AmountField::AmountField(QWidget* parent) : MaskField(MaskBlankText(kAmountMask), parent) {
    // Digits only: nothing for an input method to compose.
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

bool AmountField::Holds(char byte) const { return byte >= '0' && byte <= '9'; }

}  // namespace quorvex
