// SPDX-License-Identifier: GPL-3.0-or-later
// The food list window: one row per food description, narrowed by the
// "Group Filter" submenu and by the word filter dialog; Enter, a double
// click or "Return" picks the food on the selected row. It has no close
// box and Escape does nothing. Its filters are read from the settings file
// at every opening and written back at every closing.
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "db/DBUnit.h"
#include "list/ListFilter.h"
#include "ui/ActivatedWindow.h"

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;

namespace quorvex {

class TConForm;
class FoodListBox;
class TPalChaForm;

class TVisLisIngForm : public ActivatedWindow<QDialog> {
    Q_OBJECT
  public:
    // applicationDirectory: as for the main window. settingsPath: the
    // settings file, created empty at an opening when missing; left empty,
    // the machine-wide SettingsFilePath, asked for at every read and write.
    explicit TVisLisIngForm(const std::string& applicationDirectory, std::string settingsPath = {},
                            QWidget* parent = nullptr);
    ~TVisLisIngForm() override;

    // The progress window shown during scans and the word filter dialog.
    // Both outlive this window.
    void Attach(TConForm& progress, TPalChaForm& words);

    // Hands over the food table and its key index, borrowed (never changed;
    // they must outlive the opening), and the current food index. The
    // caller then sets SetupPending and shows the window modally.
    void Open(const TextTable& foodTable, const TextTable& foodKeyIndex, int currentFoodIndex);

    // On return from the modal show: the food table index of the food
    // picked, 0 when no row was selected.
    int CurrentFoodIndex() const { return currentFoodIndex_; }

    // Set by the caller before each modal show; the next activation sets
    // the window up afresh and clears it.
    bool SetupPending = false;

    // Event handlers, public so that tests can drive them directly.
    void FormActivate() override;
    void LisFilOrdListBoxKeyPress(char key);
    void LisFilOrdListBoxDblClick();
    void Retorna1Click();
    void Filtraporpalavraschave1Click();
    // The click handler of every group item; the item's check mark has
    // already been inverted (as QAction::trigger does).
    virtual void GroupFilterItemClick(QAction* sender);

    // State read by tests.
    const GroupFilter& Group() const { return group_; }
    const WordFilterState& Words() const { return wordFilter_; }
    FoodListBox* LisFilOrdListBox = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QMenu* Filtraporgrupodeingrediente1 = nullptr;
    QAction* Filtraporpalavraschave1 = nullptr;
    QAction* Retorna1 = nullptr;

  public slots:
    // Escape and a close request from the window manager leave the window
    // open: only picking a food ends it.
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FormCreate(const std::string& applicationDirectory);
    void BuildMenu();
    // One unchecked item per group of the window's group table, captioned
    // with the group's name.
    void SetGroupItems();
    void ReadListSettings();
    void WriteListSettings();
    std::string SettingsPath() const;
    void SplitWords();
    void BuildList();
    void SelectCurrentFood();
    void TakeSelection();
    void TakeSelectionAndClose();

    std::string settingsPath_;
    TConForm* progress_ = nullptr;
    TPalChaForm* words_ = nullptr;
    QActionGroup* groupItems_ = nullptr;

    std::unique_ptr<LoadedTable> groupTable_;
    std::unique_ptr<LoadedTable> groupCodeIndex_;
    GroupFilter group_;
    WordFilterState wordFilter_;
    const TextTable* foodTable_ = nullptr;
    const TextTable* foodKeyIndex_ = nullptr;
    int currentFoodIndex_ = 0;
};

}  // namespace quorvex
