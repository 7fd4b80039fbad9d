// SPDX-License-Identifier: GPL-3.0-or-later
#include "list/qt/VisLisIngUnit.h"

#include <QActionGroup>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

#include "db/Fields.h"
#include "list/IniFile.h"
#include "list/ListSettings.h"
#include "list/WordFilter.h"
#include "list/qt/FoodListBox.h"
#include "list/qt/FoodListModel.h"
#include "list/qt/PalChaUnit.h"
#include "ui/ConUnit.h"
#include "ui/ErrorReport.h"
#include "ui/MenuCommand.h"
#include "ui/ScrollingMenu.h"
#include "ui/Text1252.h"
#include "ui/WindowFrame.h"

namespace quorvex {

namespace {
constexpr int kClientWidth = 796;
constexpr int kClientHeight = 500;
constexpr char kEnterKey = 13;
}  // namespace

TVisLisIngForm::TVisLisIngForm(const std::string& applicationDirectory, std::string settingsPath,
                               QWidget* parent)
    : ActivatedWindow(parent, FixedFrame(Qt::Dialog, TitleButtons::None)),
      settingsPath_(std::move(settingsPath)) {
    setWindowTitle("USDA Nutrient Database Release 14 - Double clik to select and return");

    LisFilOrdListBox = new FoodListBox;
    LisFilOrdListBox->setFixedSize(kClientWidth, kClientHeight);
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(11);
    font.setBold(true);
    LisFilOrdListBox->setFont(font);
    LisFilOrdListBox->installEventFilter(this);
    connect(LisFilOrdListBox, &FoodListBox::DoubleClicked, this,
            [this] { RunGuarded([this] { LisFilOrdListBoxDblClick(); }); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(LisFilOrdListBox);
    BuildMenu();
    layout->setMenuBar(MainMenu1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    FormCreate(applicationDirectory);
}

TVisLisIngForm::~TVisLisIngForm() = default;

void TVisLisIngForm::Attach(TConForm& progress, TPalChaForm& words) {
    progress_ = &progress;
    words_ = &words;
}

void TVisLisIngForm::Open(const TextTable& foodTable, const TextTable& foodKeyIndex,
                          int currentFoodIndex) {
    foodTable_ = &foodTable;
    foodKeyIndex_ = &foodKeyIndex;
    currentFoodIndex_ = currentFoodIndex;
}

void TVisLisIngForm::BuildMenu() {
    MainMenu1 = new QMenuBar(this);
    Filtraporgrupodeingrediente1 = MainMenu1->addMenu("Group Filter");
    // A database can hold hundreds of groups, more than a screen's columns.
    MakeScrollable(*Filtraporgrupodeingrediente1);
    groupItems_ = new QActionGroup(this);
    groupItems_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const auto add = [this](const char* caption, void (TVisLisIngForm::*handler)()) {
        return AddCommand(MainMenu1, this, caption, handler);
    };
    Filtraporpalavraschave1 = add("Words Filter", &TVisLisIngForm::Filtraporpalavraschave1Click);
    Retorna1 = add("Return", &TVisLisIngForm::Retorna1Click);
}

void TVisLisIngForm::FormCreate(const std::string& applicationDirectory) {
    SetApplicationDirectory(applicationDirectory);
}

bool TVisLisIngForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LisFilOrdListBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RunGuarded([this] { LisFilOrdListBoxKeyPress(kEnterKey); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TVisLisIngForm::reject() {}

void TVisLisIngForm::FormActivate() {
    if (!SetupPending) return;
    SetupPending = false;
    // A groups file that cannot be read is reported once the window is set
    // up without groups: the foods are listed as the word filter says and
    // every way out works.
    std::string failure;
    try {
        LoadGroupTable(GroupFilePath(DataDirectory()), groupTable_, groupCodeIndex_);
    } catch (const std::exception& error) {
        failure = error.what();
        groupTable_ = std::make_unique<LoadedTable>();
        groupCodeIndex_ = std::make_unique<LoadedTable>();
    }
    SetGroupItems();
    ReadListSettings();
    BuildList();
    if (!ScansFoodTable(group_, wordFilter_)) SelectCurrentFood();
    if (!failure.empty()) ShowErrorReport(failure);
}

void TVisLisIngForm::SetGroupItems() {
    // The items of the last opening are kept and given the new captions:
    // Qt adds or removes a menu item by searching all the others, so
    // making every item afresh at each opening would cost the square of
    // the number of groups. Only a change in their number adds or removes
    // items, at the end.
    QList<QAction*> items = Filtraporgrupodeingrediente1->actions();
    const int count = groupCodeIndex_->Count();
    while (items.size() > count) delete items.takeLast();
    for (int i = 0; i < count; ++i) {
        const QString caption = FromWin1252(GetItemField(*groupTable_, i, kGroupName));
        if (i < items.size()) {
            items[i]->setChecked(false);
            items[i]->setText(caption);
            continue;
        }
        auto* item = new QAction(caption, Filtraporgrupodeingrediente1);
        item->setCheckable(true);
        groupItems_->addAction(item);
        Filtraporgrupodeingrediente1->addAction(item);
        connect(item, &QAction::triggered, this,
                [this, item] { RunGuarded([&] { GroupFilterItemClick(item); }); });
    }
}

std::string TVisLisIngForm::SettingsPath() const {
    return settingsPath_.empty() ? SettingsFilePath(ApplicationDirectory()) : settingsPath_;
}

void TVisLisIngForm::ReadListSettings() {
    const std::string path = SettingsPath();
    EnsureFileExists(path);
    const ListSettings settings = quorvex::ReadListSettings(IniFile::Load(path));
    int foundPosition = -1;
    group_ = RestoreGroupFilter(settings.groupFilterIndex, settings.groupFilterName, *groupTable_,
                                foundPosition);
    // The check mark goes to the group the filter actually uses, which is
    // the stored position unless the groups file changed since. Groups
    // sharing a code share one item, so the group's line can lie past the
    // last item: then no item is checked.
    const QList<QAction*> items = Filtraporgrupodeingrediente1->actions();
    if (foundPosition >= 0 && foundPosition < items.size()) items[foundPosition]->setChecked(true);
    wordFilter_.on = settings.wordFilterOn;
    words_->SetWordText(settings.wordText);
    SplitWords();
}

void TVisLisIngForm::WriteListSettings() {
    const std::string path = SettingsPath();
    IniFile file = IniFile::Load(path);
    quorvex::WriteListSettings(
        file, ListSettings{group_.index, group_.name, wordFilter_.on, words_->WordText()},
        LisFilOrdListBox->SelectedRow());
    file.Save(path);
}

void TVisLisIngForm::SplitWords() {
    wordFilter_.words.clear();
    if (wordFilter_.on) wordFilter_.words = quorvex::SplitWords(words_->WordText());
}

void TVisLisIngForm::BuildList() {
    setWindowTitle(FromWin1252(ListTitle(group_, wordFilter_, words_->WordText())));
    std::vector<int> filtered;
    FillFilteredList(*foodTable_, group_, wordFilter_, filtered, *progress_);
    LisFilOrdListBox->Rows().Show(*foodTable_, std::move(filtered));
}

void TVisLisIngForm::SelectCurrentFood() {
    if (currentFoodIndex_ < 0 || currentFoodIndex_ >= LisFilOrdListBox->count()) return;
    LisFilOrdListBox->setCurrentRow(currentFoodIndex_);
    LisFilOrdListBox->scrollTo(LisFilOrdListBox->currentIndex());
}

void TVisLisIngForm::GroupFilterItemClick(QAction* sender) {
    if (sender->isChecked()) {
        const int position =
            static_cast<int>(Filtraporgrupodeingrediente1->actions().indexOf(sender));
        group_ = GroupFilter{position, GetItemField(*groupTable_, position, kGroupName),
                             std::string(groupCodeIndex_->Get(position))};
    } else {
        group_ = GroupFilter{-1, "TODOS", ""};
    }
    BuildList();
}

void TVisLisIngForm::Filtraporpalavraschave1Click() {
    const int result = words_->exec();
    // The list takes the keys again, whichever way the item was chosen:
    // chosen from the keyboard, the menu bar would otherwise keep the focus
    // when this window becomes active again, and the arrows and Enter would
    // not reach the list.
    LisFilOrdListBox->setFocus(Qt::OtherFocusReason);
    switch (result) {
        case TPalChaForm::kTurnOnFilter:
            wordFilter_.on = true;
            words_->SetWordText(FoldAccents(words_->WordText()));
            SplitWords();
            BuildList();
            break;
        case TPalChaForm::kTurnOffFilter:
            wordFilter_.on = false;
            words_->SetWordText("");
            BuildList();
            break;
        default:
            break;
    }
}

void TVisLisIngForm::TakeSelection() {
    const int row = LisFilOrdListBox->SelectedRow();
    if (row < 0) {
        currentFoodIndex_ = 0;
    } else {
        // The food's own line, not the row's text, which may be cut.
        const std::string_view line = foodTable_->Get(LisFilOrdListBox->Rows().Position(row));
        foodKeyIndex_->Find(GetField(kFoodDescription, line) + "|", currentFoodIndex_);
    }
    // The window must close even when the settings cannot be written, or
    // the user could never leave it; the failure is still reported.
    std::string failure;
    try {
        WriteListSettings();
    } catch (const std::exception& error) {
        failure = error.what();
    }
    LisFilOrdListBox->Rows().Clear();
    wordFilter_.words.clear();
    groupTable_.reset();
    groupCodeIndex_.reset();
    if (!failure.empty()) ShowErrorReport(failure);
}

void TVisLisIngForm::TakeSelectionAndClose() {
    TakeSelection();
    accept();
}

void TVisLisIngForm::LisFilOrdListBoxKeyPress(char key) {
    if (key == kEnterKey) TakeSelectionAndClose();
}

void TVisLisIngForm::LisFilOrdListBoxDblClick() { TakeSelectionAndClose(); }

void TVisLisIngForm::Retorna1Click() { TakeSelectionAndClose(); }

}  // namespace quorvex
