// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ScrollingMenu.h"

#include <QMenu>
#include <QProxyStyle>

namespace quorvex {

namespace {
class ScrollingMenuStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_Menu_Scrollable) return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
}  // namespace

void MakeScrollable(QMenu& menu) {
    // A proxy over a fresh instance of the menu's own style, so that only
    // the scrolling changes; the menu does not own a style it is given, so
    // the style is made its child.
    auto* style = new ScrollingMenuStyle(menu.style()->name());
    style->setParent(&menu);
    menu.setStyle(style);
}

}  // namespace quorvex
