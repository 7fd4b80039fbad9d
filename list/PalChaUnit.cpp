#include "list/PalChaUnit.h"

namespace quorvex {

TPalChaForm::TPalChaForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Type the words to filter list");
}

}  // namespace quorvex
