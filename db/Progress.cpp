// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/Progress.h"

namespace quorvex {

int ProgressPercent(int i, int count) {
    const long long scaled = static_cast<long long>(i) * 100;
    long long quotient = scaled / count;
    const long long twiceRemainder = 2 * (scaled % count);
    if (twiceRemainder > count || (twiceRemainder == count && quotient % 2 != 0)) ++quotient;
    return static_cast<int>(quotient);
}

}  // namespace quorvex
