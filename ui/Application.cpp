#include "ui/Application.h"

#include "ui/ErrorReport.h"

namespace quorvex {

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
