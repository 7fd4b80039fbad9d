#include "ui/ErrorReport.h"

#include <QMessageBox>

#include "db/Collation.h"
#include "ui/Text1252.h"

namespace quorvex {

std::string ErrorReportText(const std::string& message) {
    if (!message.empty() && CompareText(message.substr(message.size() - 1), ".") > 0) {
        return message + ".";
    }
    return message;
}

void ShowErrorReport(const std::string& message) {
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                          FromWin1252(ErrorReportText(message)), QMessageBox::Ok);
}

QuorvexApplication::QuorvexApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Quorvex");
    setApplicationDisplayName("Quorvex");
}

bool QuorvexApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    RunGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

}  // namespace quorvex
