// SPDX-License-Identifier: GPL-3.0-or-later
// The word filter dialog "Type the words to filter list": one entry field
// for the words and a menu whose items end the dialog with their result.
// It has no buttons and no close box; Escape does nothing.
#pragma once

#include <QDialog>
#include <string>

#include "ui/ActivatedWindow.h"

class QAction;
class QFrame;
class QMenuBar;

namespace quorvex {

class WordEdit;

class TPalChaForm : public ActivatedWindow<QDialog> {
    Q_OBJECT
  public:
    // What exec() returns.
    enum Result { kTurnOnFilter = 1, kTurnOffFilter = 2, kCancel = 3 };

    explicit TPalChaForm(QWidget* parent = nullptr);

    // The field's text (Windows-1252), and setting it as it is, without
    // case conversion.
    std::string WordText() const;
    void SetWordText(const std::string& text);

    // Event handlers, public so that tests can drive them directly.
    void FormActivate() override;
    void TurnONFilter1Click();
    void TurnOFFFilter2Click();
    void Cancel1Click();

    QFrame* Shape3 = nullptr;
    WordEdit* PalChaMaskEdit = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QAction* TurnONFilter1 = nullptr;
    QAction* TurnOFFFilter2 = nullptr;
    QAction* Cancel1 = nullptr;

  public slots:
    // Escape and a close request from the window manager leave the dialog
    // open: only its menu ends it.
    void reject() override;

  private:
    void BuildMenu();
};

}  // namespace quorvex
