// The food list window.
#pragma once

#include <QDialog>
#include <string>

namespace quorvex {

class TConForm;
class TPalChaForm;

class TVisLisIngForm : public QDialog {
    Q_OBJECT
public:
    explicit TVisLisIngForm(const std::string& applicationDirectory, QWidget* parent = nullptr);
    void Attach(TConForm& progress, TPalChaForm& words);

private:
    TConForm* progress_ = nullptr;
    TPalChaForm* words_ = nullptr;
};

}  // namespace quorvex
