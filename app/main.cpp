// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCoreApplication>

#include "app/qt/ProgramWindows.h"
#include "ui/Application.h"

int main(int argc, char** argv) {
    quorvex::QuorvexApplication application(argc, argv);
    const std::string applicationDirectory =
        QCoreApplication::applicationDirPath().toStdString() + "/";

    // Every window is created once, hidden, and lives until the program
    // ends. The settings file is asked for (and so created) only when the
    // list reads or writes it.
    quorvex::ProgramWindows windows(applicationDirectory);

    windows.main.show();
    // Without a window manager nothing would make the window active and
    // give it the keys; the tables load at this first showing either way.
    windows.main.activateWindow();
    return application.exec();
}
