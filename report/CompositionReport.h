// SPDX-License-Identifier: GPL-3.0-or-later
// The composition report of one food: what is drawn, where and in which
// style, with every nutrient value scaled to the report amount.
#pragma once

#include <string>
#include <string_view>

#include "db/DBUnit.h"
#include "report/Canvas.h"

namespace quorvex {

// The face every report text asks for.
extern const char* const kReportFace;

// Width of a nutrient value field in characters.
inline constexpr int kValueFieldWidth = 15;

// The stored value text (per 100 g, "." as decimal point whatever the
// locale) scaled to amount grams, in a field of kValueFieldWidth characters
// with as many decimals as the stored text has after its first ".". A text
// that is not a number (empty, with blanks after it, with "," as point)
// gives a field of blanks. Exact halves of the last shown decimal go away
// from zero.
std::string ScaleValueText(std::string_view valueText, double amount);

// The amount of the report's amount line: the shortest text that gives it
// to 15 significant digits, with the given separator. Without exponent for
// 0 and for every amount from 0.0001 to below 1e15, which holds all that
// the amount dialog can enter; otherwise in exponent form with a sign and
// at least two exponent digits: 1e-05 gives "1e-05", 1e15 gives "1e+15".
std::string FormatAmountText(double amount, char decimalSeparator);

// A drawn report row in words, for screen readers: a nutrient row (its
// label and value field) reads "Water 23.57 g" (name, value as shown,
// unit), or "Water: no reliable data" when the field is blank; any other
// row as drawn without its trailing blanks.
std::string ReadableRowText(const std::string& drawn);

// Draws the report of foodLine (a plain food line) at ppi on canvas, over
// whatever the canvas holds: it never clears it. The group name comes from
// the line of groupTable whose code groupCodeIndex (sorted, parallel to
// groupTable) finds; a code not found leaves the group row empty. Ends with
// the canvas font set to the report face, regular.
void DrawCompositionReport(Canvas& canvas, int ppi, double amount, char decimalSeparator,
                           std::string_view foodLine, const TextTable& groupTable,
                           const TextTable& groupCodeIndex);

}  // namespace quorvex
