// The amount dialog "USDA R14": asks for the report amount in grams.
#pragma once

#include <QDialog>

namespace quorvex {

class TCadQuaForm : public QDialog {
    Q_OBJECT
public:
    explicit TCadQuaForm(QWidget* parent = nullptr);
};

}  // namespace quorvex
