// The application object of the viewer and of the widget tests.
#pragma once

#include <QApplication>

namespace quorvex {

// Sets the application title, opens every window centred (Centring.h) and
// routes every exception that leaves an event handler to ShowErrorReport.
// Exactly one may exist, created before any window, as QApplication
// requires; argc and argv must outlive it.
class QuorvexApplication : public QApplication {
  public:
    QuorvexApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace quorvex
