#include "ui/ScreenCentre.h"

#include <QEvent>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace quorvex {

namespace {

// Sees the show event before the window does, so the position is set
// before the window is mapped; QDialog then leaves the position alone,
// since the window counts as moved.
class Centring : public QObject {
  public:
    explicit Centring(QWidget& window) : QObject(&window), window_(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Show && !event->spontaneous()) {
            QRect client(QPoint(), window_.size());
            client.moveCenter(window_.screen()->availableGeometry().center());
            window_.setGeometry(client);
        }
        return false;
    }

  private:
    QWidget& window_;
};

}  // namespace

void CentreOnEveryShowing(QWidget& window) { window.installEventFilter(new Centring(window)); }

}  // namespace quorvex
