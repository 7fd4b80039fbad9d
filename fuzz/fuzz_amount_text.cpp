// SPDX-License-Identifier: GPL-3.0-or-later
// The amount dialog's field text: reading it as a number, and the helpers
// that tidy the field, on any text.
#include <cmath>

#include "app/AmountText.h"
#include "db/StrUnit.h"
#include "fuzz/FuzzSupport.h"

using namespace quorvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    double amount = -1.0;
    if (ReadAmountText(text, amount)) {
        fuzz::Require(std::isfinite(amount) && amount >= 0.0, "an amount read is a weight");
    } else {
        fuzz::Require(amount == -1.0, "an unreadable text leaves the amount alone");
    }

    fuzz::Require(AlignRightText(text).size() == text.size(), "aligning keeps the length");
    const std::string aligned = AlignDecimalText(text);
    fuzz::Require(aligned.size() == text.size() && aligned.find(',') == text.find(','),
                  "aligning keeps the length and the comma's place");
    fuzz::Require(ZeroFillDecimals(text).size() == text.size(), "filling keeps the length");
    MaskBlankText(text);
    return 0;
}
