// The word filter dialog.
#pragma once

#include <QDialog>

namespace quorvex {

class TPalChaForm : public QDialog {
    Q_OBJECT
public:
    explicit TPalChaForm(QWidget* parent = nullptr);
};

}  // namespace quorvex
