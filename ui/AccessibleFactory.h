// SPDX-License-Identifier: GPL-3.0-or-later
// Custom accessibility for the program's own widgets: what screen readers
// see of them through Qt's accessibility bridge (AT-SPI on Linux).
#pragma once

#include <QAccessible>

namespace quorvex {

// Makes Qt describe every Widget (subclasses included) to screen readers
// through an Accessible made from it; installs once however often called.
// Accessible takes a Widget* in its constructor.
template <class Widget, class Accessible>
void InstallAccessible() {
    static const bool installed = [] {
        QAccessible::installFactory(
            [](const QString& className, QObject* object) -> QAccessibleInterface* {
                // Qt asks once per class of object's chain; answered at Widget's.
                auto* widget = qobject_cast<Widget*>(object);
                if (widget == nullptr ||
                    className != QLatin1String(Widget::staticMetaObject.className())) {
                    return nullptr;
                }
                return new Accessible(widget);
            });
        return true;
    }();
    (void)installed;
}

}  // namespace quorvex
