#include "app/CadQuaUnit.h"

namespace quorvex {

TCadQuaForm::TCadQuaForm(QWidget* parent) : QDialog(parent) { setWindowTitle("USDA R14"); }

}  // namespace quorvex
