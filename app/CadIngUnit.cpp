#include "app/CadIngUnit.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/ConUnit.h"
#include "app/ErrorReport.h"

namespace quorvex {

namespace {
constexpr int kClientWidth = 720;
constexpr int kClientHeight = 474;
}  // namespace

TCadIngForm::TCadIngForm(const std::string& applicationDirectory, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(
        "Composition of Foods Raw, Processed, Prepared - USDA Nutrient Database Release 14");

    scrollArea_ = new QScrollArea(this);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scrollArea_->setFixedSize(kClientWidth, kClientHeight);

    Panel1 = new QFrame;
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    Image1 = new QLabel(Panel1);
    Image1->move(1, 1);
    Image1->resize(0, 0);
    Panel1->resize(2, 2);
    scrollArea_->setWidget(Panel1);
    setCentralWidget(scrollArea_);

    BuildMenu();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    FormCreate(applicationDirectory);
}

TCadIngForm::~TCadIngForm() = default;

void TCadIngForm::Attach(TConForm& progress, TVisLisIngForm& list, TCadQuaForm& amount) {
    progress_ = &progress;
    list_ = &list;
    amountDialog_ = &amount;
}

void TCadIngForm::BuildMenu() {
    // Seven top-level commands, no submenus, shortcuts or accelerators.
    const auto add = [this](const char* caption, void (TCadIngForm::*handler)()) {
        QAction* action = menuBar()->addAction(QString::fromLatin1(caption));
        connect(action, &QAction::triggered, this,
                [this, handler] { RunGuarded([&] { (this->*handler)(); }); });
        return action;
    };
    Previous1 = add("Previous Food", &TCadIngForm::Previous1Click);
    Next1 = add("Next Food", &TCadIngForm::Next1Click);
    List1 = add("List Food", &TCadIngForm::List1Click);
    Teste1 = add("Grams", &TCadIngForm::Teste1Click);
    Image2 = add("Save Image", &TCadIngForm::Image2Click);
    Print1 = add("Print", &TCadIngForm::Print1Click);
    Exit1 = add("Exit", &TCadIngForm::Exit1Click);
}

void TCadIngForm::FormCreate(const std::string& applicationDirectory) {
    SetApplicationDirectory(applicationDirectory);
    loadPending_ = true;
}

bool TCadIngForm::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::WindowActivate) {
        RunGuarded([this] { FormActivate(); });
    }
    return handled;
}

void TCadIngForm::FormActivate() {
    if (!loadPending_) return;
    // Cleared first: the progress window coming and going re-activates
    // this window while the load runs.
    loadPending_ = false;
    foodTable_.reset();
    foodKeyIndex_.reset();
    LoadFoodTable(FoodFilePath(DataDirectory()), foodTable_, foodKeyIndex_, *progress_);
    currentFoodIndex_ = 0;
    groupTable_.reset();
    groupCodeIndex_.reset();
    LoadGroupTable(GroupFilePath(DataDirectory()), groupTable_, groupCodeIndex_);
    PrepareReportImage();
    Redraw();
}

void TCadIngForm::Previous1Click() {
    if (currentFoodIndex_ <= 0) return;
    --currentFoodIndex_;
    Redraw();
}

void TCadIngForm::Next1Click() {
    if (!foodTable_ || currentFoodIndex_ >= foodTable_->Count() - 1) return;
    ++currentFoodIndex_;
    Redraw();
}

void TCadIngForm::Exit1Click() {
    groupCodeIndex_.reset();
    groupTable_.reset();
    foodKeyIndex_.reset();
    foodTable_.reset();
    close();
}

// ---- Report display, Grams, Save Image, Print (report subsystem) ----------

void TCadIngForm::PrepareReportImage() {}

void TCadIngForm::Redraw() { reportAmount_ = 100.0; }

void TCadIngForm::Teste1Click() {}

void TCadIngForm::Image2Click() {}

void TCadIngForm::Print1Click() {}

// ---- List Food (food list subsystem) ----------------------------------------

void TCadIngForm::List1Click() {}

}  // namespace quorvex
