// SPDX-License-Identifier: GPL-3.0-or-later
// The program's five windows, created hidden in the order start-up creates
// them and attached to one another. The program and the widget tests both
// build them here, so the tests exercise the program's own wiring.
#pragma once

#include <string>

#include "app/qt/CadIngUnit.h"
#include "app/qt/CadQuaUnit.h"
#include "list/qt/PalChaUnit.h"
#include "list/qt/VisLisIngUnit.h"
#include "ui/ConUnit.h"

namespace quorvex {

// Each secondary window belongs to the window it is shown over (the word
// dialog to the list, the others to the main window), so the window system
// keeps it above that window and places it there.
//
// applicationDirectory: the folder whose "Dados/" holds the data files, with
// its trailing separator; settingsPath: the list settings file, by default
// the machine-wide SettingsFilePath, asked for at every read and write. A
// QApplication must exist first and outlive this. The windows are members
// in creation order, so they are destroyed in reverse, and live as long as
// this.
struct ProgramWindows {
    explicit ProgramWindows(const std::string& applicationDirectory,
                            const std::string& settingsPath = {});

    TCadIngForm main;
    TConForm progress;
    TVisLisIngForm list;
    TCadQuaForm amount;
    TPalChaForm words;
};

}  // namespace quorvex
