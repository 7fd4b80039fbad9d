// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: holds the food and group tables, the current food and
// the report amount, and carries the menu of commands.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>

#include "db/DBUnit.h"
#include "ui/ActivatedWindow.h"

class QAction;
class QFileDialog;
class QPrinter;
class QScrollArea;
class QFrame;

namespace quorvex {

class TConForm;
class TVisLisIngForm;
class TCadQuaForm;
class Canvas;
class ReportImage;

class TCadIngForm : public ActivatedWindow<QMainWindow> {
    Q_OBJECT
  public:
    // applicationDirectory: the folder whose "Dados/" holds the data files,
    // with its trailing separator. The shipped program passes the
    // executable's folder; tests pass a folder of their own.
    explicit TCadIngForm(const std::string& applicationDirectory, QWidget* parent = nullptr);
    ~TCadIngForm() override;

    // The windows the commands show. They outlive this window.
    void Attach(TConForm& progress, TVisLisIngForm& list, TCadQuaForm& amount);

    // Event handlers, public so that tests can drive them directly.
    void FormActivate() override;
    void Previous1Click();
    void Next1Click();
    void List1Click();
    void Teste1Click();
    void Image2Click();
    void Print1Click();
    void Exit1Click();

    // State read by the commands and by tests.
    int CurrentFoodIndex() const { return currentFoodIndex_; }
    double ReportAmount() const { return reportAmount_; }
    const TextTable* FoodTable() const { return foodTable_.get(); }
    const TextTable* FoodKeyIndex() const { return foodKeyIndex_.get(); }
    const TextTable* GroupTable() const { return groupTable_.get(); }
    const TextTable* GroupCodeIndex() const { return groupCodeIndex_.get(); }

    // Draws the report of the current food at amount grams on canvas, over
    // what it holds: at the screen's report resolution when printer is
    // null, else at printer's (canvas then paints on one of its pages).
    // Throws std::out_of_range "List index out of bounds (i)" before
    // drawing anything when there is no current food.
    void DrawReport(const QPrinter* printer, Canvas& canvas, double amount);

    // The printer Print prints on: the system's default printer at its own
    // resolution, looked up afresh at every Print. A printer whose output
    // was pointed at a file (as tests do) is kept across Prints instead.
    QPrinter& Printer();

    QFrame* Panel1 = nullptr;
    ReportImage* Image1 = nullptr;
    // Built when Save Image first needs it: a file dialog costs start-up
    // time and memory that a run without Save Image should not pay.
    QFileDialog* SaveDialog1 = nullptr;
    QAction* Previous1 = nullptr;
    QAction* Next1 = nullptr;
    QAction* List1 = nullptr;
    QAction* Teste1 = nullptr;
    QAction* Image2 = nullptr;
    QAction* Print1 = nullptr;
    QAction* Exit1 = nullptr;

  private:
    void FormCreate(const std::string& applicationDirectory);
    void BuildMenu();
    void PrepareReportImage();
    void Redraw();
    // The food table's line at the current food index; throws like
    // TextTable::Get when there is none.
    std::string_view CurrentFoodLine() const;
    void DrawOnImage(double amount);
    // Prints the report of the current food at the report amount on one
    // page of printer, already set up; throws, with no job left open, when
    // there is no printer, no job can begin or there is no current food.
    void PrintReport(QPrinter& printer);

    QScrollArea* scrollArea_ = nullptr;
    TConForm* progress_ = nullptr;
    TVisLisIngForm* list_ = nullptr;
    TCadQuaForm* amountDialog_ = nullptr;

    std::unique_ptr<LoadedTable> foodTable_;
    std::unique_ptr<LoadedTable> foodKeyIndex_;
    int currentFoodIndex_ = 0;
    std::unique_ptr<LoadedTable> groupTable_;
    std::unique_ptr<LoadedTable> groupCodeIndex_;
    bool loadPending_ = true;
    double reportAmount_ = 100.0;
    std::unique_ptr<QPrinter> printer_;
    QString lastSaveName_;

  protected:
    // The first showing loads the tables too, once its own events are
    // handled, unless an activation has loaded them by then: a window
    // system may never activate a newly started window (a compositor
    // without a seat, focus-stealing prevention), which would leave the
    // window empty until clicked.
    void showEvent(QShowEvent* event) override;
};

}  // namespace quorvex
