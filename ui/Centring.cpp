// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Centring.h"

#include <QApplication>
#include <QEvent>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "ui/WindowFrame.h"

namespace quorvex {

namespace {

void Centre(QWidget& window) {
    const QRect area = window.screen()->availableGeometry();
    const QWidget* parent = window.parentWidget() ? window.parentWidget()->window() : nullptr;
    QRect client(QPoint(), window.size());
    const bool overParent = parent && parent->isVisible() && !HasFixedFrame(window);
    client.moveCenter(overParent ? parent->geometry().center() : area.center());
    client.moveTo(std::clamp(client.x(), area.left(),
                             std::max(area.left(), area.right() + 1 - client.width())),
                  std::clamp(client.y(), area.top(),
                             std::max(area.top(), area.bottom() + 1 - client.height())));
    window.setGeometry(client);
}

// Sees a window's show event before the window does, so the position is
// set before the window is mapped; QDialog then leaves the position alone,
// since the window counts as moved.
class Centring : public QObject {
  public:
    explicit Centring(QObject* parent) : QObject(parent) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || event->spontaneous() || !watched->isWidgetType()) {
            return false;
        }
        auto* widget = static_cast<QWidget*>(watched);
        const Qt::WindowType type = widget->windowType();
        if (widget->isWindow() && (type == Qt::Window || type == Qt::Dialog)) Centre(*widget);
        return false;
    }
};

}  // namespace

void CentreEveryWindow(QApplication& application) {
    application.installEventFilter(new Centring(&application));
}

}  // namespace quorvex
