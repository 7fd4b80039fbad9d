// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for widget tests: answering the modal boxes a command opens.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

namespace quorvex::test {

struct SeenMessageBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QWidget* owner;  // the window the box belongs to, if any
};

// While it lives, every QMessageBox that becomes the active modal widget is
// recorded and answered with `answer` (or its only button).
class MessageBoxCatcher {
  public:
    explicit MessageBoxCatcher(QMessageBox::StandardButton answer = QMessageBox::Ok);

    const std::vector<SeenMessageBox>& Seen() const { return seen_; }

  private:
    void Poll();

    QMessageBox::StandardButton answer_;
    QTimer timer_;
    std::vector<SeenMessageBox> seen_;
};

// Runs action on the next modal widget once it is showing and active (from a
// timer, while the code under test sits in exec()).
void WhenModal(const std::function<void(QWidget*)>& action);

}  // namespace quorvex::test
