// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/ProgramWindows.h"

namespace quorvex {

ProgramWindows::ProgramWindows(const std::string& applicationDirectory,
                               const std::string& settingsPath)
    : main(applicationDirectory),
      progress(&main),
      list(applicationDirectory, settingsPath, &main),
      amount(&main),
      words(&list) {
    main.Attach(progress, list, amount);
    list.Attach(progress, words);
}

}  // namespace quorvex
