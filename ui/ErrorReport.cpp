// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ErrorReport.h"

#include <QApplication>
#include <QMessageBox>

#include "db/Collation.h"
#include "ui/Text1252.h"

namespace quorvex {

const char* const kOutOfMemoryText = "Not enough memory to finish the command";

std::string ErrorReportText(const std::string& message) {
    if (!message.empty() && CompareText(message.substr(message.size() - 1), ".") > 0) {
        return message + ".";
    }
    return message;
}

QWidget* MessageOwner() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowType() == Qt::Window) return window;
    }
    return nullptr;
}

void ShowErrorReport(const std::string& message) {
    QMessageBox::critical(MessageOwner(), QApplication::applicationName(),
                          FromWin1252(ErrorReportText(message)), QMessageBox::Ok);
}

}  // namespace quorvex
