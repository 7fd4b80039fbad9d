// SPDX-License-Identifier: GPL-3.0-or-later
// The baseline of the whole-program benchmarks: a bare Qt program showing
// a window of the main window's client size, white with one black line
// and a word, which is how the benchmarks tell that it has been painted.
// With --quit it ends once it has painted, printing its peak resident
// memory in KiB.
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>

#include "bench/support/PeakMemory.h"

namespace {

class BareWindow : public QWidget {
  public:
    explicit BareWindow(bool quitWhenPainted) : quitWhenPainted_(quitWhenPainted) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        painter.setPen(Qt::black);
        painter.drawLine(20, 60, width() - 20, 60);
        painter.drawText(20, 40, "Bare");
        if (quitWhenPainted_) QTimer::singleShot(0, qApp, &QApplication::quit);
    }

  private:
    bool quitWhenPainted_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    BareWindow window(argc > 1 && std::strcmp(argv[1], "--quit") == 0);
    window.setFixedSize(720, 474);
    window.show();
    const int status = application.exec();
    if (argc > 1) std::printf("%lld\n", quorvex::bench::PeakResidentKiB());
    return status;
}
