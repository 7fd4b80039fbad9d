// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/QtTestSupport.h"

#include <QAbstractButton>
#include <QApplication>

namespace quorvex::test {

MessageBoxCatcher::MessageBoxCatcher(QMessageBox::StandardButton answer) : answer_(answer) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(5);
}

void MessageBoxCatcher::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    seen_.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                     box->parentWidget() ? box->parentWidget()->window() : nullptr});
    QAbstractButton* button = box->button(answer_);
    if (button == nullptr && box->buttons().size() == 1) button = box->buttons().front();
    if (button != nullptr) {
        button->click();
    } else {
        box->reject();
    }
}

void WhenModal(const std::function<void(QWidget*)>& action) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) return;
        // Active, not just visible: a window's set-up on activation must
        // have run before the test acts on it, also on a loaded machine.
        // Platforms without a window manager activate only on request.
        if (!modal->isActiveWindow()) {
            modal->activateWindow();
            return;
        }
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start(5);
}

}  // namespace quorvex::test
