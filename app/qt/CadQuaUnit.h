// SPDX-License-Identifier: GPL-3.0-or-later
// The amount dialog "USDA R14": asks for the report amount in grams in a
// fixed-comma field. It closes only through its two buttons, with the
// result kOk or kCancel; Enter and Escape do nothing.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace quorvex {

class AmountField;

class TCadQuaForm : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;

    explicit TCadQuaForm(QWidget* parent = nullptr);

    // Each showing opens at "   100,0", all selected, focus in the field.
    void FormActivate();
    // Runs before the field takes each typed character: "." becomes ",",
    // and a comma right-aligns the integer digits against the comma.
    void PesLiqMaskEditKeyPress(char& key);
    // Leaving a field that is not empty right-aligns the integer part and
    // fills a blank decimal with "0".
    void PesLiqMaskEditExit();

    // Escape and the window system's close request leave the dialog open.
    void reject() override;

    QLabel* Label1 = nullptr;
    AmountField* PesLiqMaskEdit = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QFrame* Shape1 = nullptr;
    QLabel* Label2 = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace quorvex
