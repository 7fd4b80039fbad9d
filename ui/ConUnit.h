// The progress window: "Please wait..." with one progress bar, shown
// without modality while a table is loaded or scanned.
#pragma once

#include <QDialog>

#include "db/DBUnit.h"

class QProgressBar;

namespace quorvex {

class TConForm : public QDialog, public ProgressSink {
    Q_OBJECT
  public:
    explicit TConForm(QWidget* parent = nullptr);

    void Show(int maximum) override;
    void SetPosition(int position) override;
    void Close() override;

    QProgressBar* ProgressBar = nullptr;
};

}  // namespace quorvex
