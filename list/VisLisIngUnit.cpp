#include "list/VisLisIngUnit.h"

#include "db/DBUnit.h"

namespace quorvex {

TVisLisIngForm::TVisLisIngForm(const std::string& applicationDirectory, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("USDA Nutrient Database Release 14 - Double clik to select and return");
    SetApplicationDirectory(applicationDirectory);
}

void TVisLisIngForm::Attach(TConForm& progress, TPalChaForm& words) {
    progress_ = &progress;
    words_ = &words;
}

}  // namespace quorvex
