// SPDX-License-Identifier: GPL-3.0-or-later
#include "list/qt/PalChaUnit.h"

#include <QFrame>
#include <QMenuBar>
#include <QVBoxLayout>

#include "list/qt/WordEdit.h"
#include "ui/MenuCommand.h"
#include "ui/WindowFrame.h"

namespace quorvex {

namespace {
constexpr int kClientWidth = 599;
constexpr int kClientHeight = 48;
}  // namespace

TPalChaForm::TPalChaForm(QWidget* parent)
    : ActivatedWindow(parent, FixedFrame(Qt::Dialog, TitleButtons::None)) {
    setWindowTitle("Type the words to filter list");

    auto* client = new QWidget;
    client->setFixedSize(kClientWidth, kClientHeight);
    Shape3 = new QFrame(client);
    Shape3->setGeometry(0, 0, kClientWidth, kClientHeight);
    Shape3->setFrameStyle(QFrame::Box | QFrame::Plain);
    Shape3->setLineWidth(1);
    Shape3->setAutoFillBackground(true);
    QPalette white = Shape3->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    Shape3->setPalette(white);

    PalChaMaskEdit = new WordEdit(client);
    PalChaMaskEdit->setGeometry(5, 20, 572, 22);
    QFont font("MS Sans Serif");
    font.setPixelSize(13);
    font.setBold(true);
    PalChaMaskEdit->setFont(font);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(client);
    BuildMenu();
    layout->setMenuBar(MainMenu1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TPalChaForm::BuildMenu() {
    MainMenu1 = new QMenuBar(this);
    const auto add = [this](const char* caption, void (TPalChaForm::*handler)()) {
        return AddCommand(MainMenu1, this, caption, handler);
    };
    TurnONFilter1 = add("Turn ON Filter", &TPalChaForm::TurnONFilter1Click);
    TurnOFFFilter2 = add("Turn OFF Filter", &TPalChaForm::TurnOFFFilter2Click);
    Cancel1 = add("Cancel", &TPalChaForm::Cancel1Click);
}

std::string TPalChaForm::WordText() const { return PalChaMaskEdit->Text(); }

void TPalChaForm::SetWordText(const std::string& text) { PalChaMaskEdit->SetText(text); }

void TPalChaForm::FormActivate() { PalChaMaskEdit->setFocus(); }

void TPalChaForm::TurnONFilter1Click() { done(kTurnOnFilter); }

void TPalChaForm::TurnOFFFilter2Click() { done(kTurnOffFilter); }

void TPalChaForm::Cancel1Click() { done(kCancel); }

void TPalChaForm::reject() {}

}  // namespace quorvex
