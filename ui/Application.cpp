// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Application.h"

#include <QIcon>
#include <QMenuBar>
#include <QProxyStyle>
#include <QStyleOption>

#include "ui/Centring.h"
#include "ui/ErrorReport.h"
#include "ui/WindowFrame.h"

namespace quorvex {

const char* const kDesktopFileName = "example.quorvex.Quorvex";

namespace {

// Styles that mark a menu bar item only while its menu is open leave a bar
// entered from the keyboard (Alt, then the arrows) without any mark, since
// the program's items are commands with no menu. A bar that holds the
// keyboard focus has its current item drawn as an open one; the mouse's
// hovering is drawn as the style draws it.
class MenuFocusStyle : public QProxyStyle {
  public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* bar = qobject_cast<const QMenuBar*>(widget);
        if (element == CE_MenuBarItem && bar != nullptr && bar->hasFocus() &&
            (option->state & State_Selected)) {
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                QStyleOptionMenuItem focused = *item;
                focused.state |= State_Sunken;
                return QProxyStyle::drawControl(element, &focused, painter, widget);
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QString(":/icons/%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace

QuorvexApplication::QuorvexApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The name only: a display name would make Qt append it to every
    // window's caption.
    setApplicationName("Quorvex");
    setDesktopFileName(kDesktopFileName);
    setWindowIcon(ProgramIcon());
    setStyle(new MenuFocusStyle);
    CentreEveryWindow(*this);
    KeepFixedFrames(*this);
}

bool QuorvexApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    RunGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

}  // namespace quorvex
