// SPDX-License-Identifier: GPL-3.0-or-later
// The value texts and the whole report of one food line on a recording
// canvas. Input parts: amount, value text, food line, group lines.
#include <cmath>
#include <cstdlib>

#include "db/DBUnit.h"
#include "db/Fields.h"
#include "fuzz/FuzzSupport.h"
#include "report/CompositionReport.h"
#include "tests/report_recorder.h"

using namespace quorvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> parts = fuzz::SplitParts(data, size, 4);
    const double amount = std::strtod(parts[0].c_str(), nullptr);

    fuzz::Require(ScaleValueText(parts[1], amount).size() == kValueFieldWidth,
                  "a value fills its field exactly");
    if (std::isfinite(amount)) FormatAmountText(amount, ',');

    TextList groups;
    groups.Assign(SplitLines(parts[3]));
    groups.SetSorted(true);
    TextList codes;
    for (const std::string_view line : groups.Items()) codes.Add(GetField(kGroupCode, line));
    codes.SetSorted(true);
    for (int ppi : {94, 600}) {
        test::RecordingCanvas canvas;
        DrawCompositionReport(canvas, ppi, amount, ',', parts[2], groups, codes);
        fuzz::Require(!canvas.texts.empty() && !canvas.lines.empty(), "a report is drawn");
        for (const test::DrawnText& text : canvas.texts) {
            fuzz::Require(text.x >= 0 && text.y >= 0, "texts start on the page");
        }
    }
    return 0;
}
