#include "ui/Application.h"

#include "ui/Centring.h"
#include "ui/ErrorReport.h"

namespace quorvex {

QuorvexApplication::QuorvexApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The name only: a display name would make Qt append it to every
    // window's caption.
    setApplicationName("Quorvex");
    CentreEveryWindow(*this);
}

bool QuorvexApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    RunGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

}  // namespace quorvex
