#include <QCoreApplication>

#include "app/qt/CadIngUnit.h"
#include "app/qt/CadQuaUnit.h"
#include "list/qt/PalChaUnit.h"
#include "list/qt/VisLisIngUnit.h"
#include "ui/ConUnit.h"
#include "ui/Application.h"

int main(int argc, char** argv) {
    quorvex::QuorvexApplication application(argc, argv);
    const std::string applicationDirectory =
        QCoreApplication::applicationDirPath().toStdString() + "/";

    // Every window is created once, hidden, in this order, and lives until
    // the program ends.
    quorvex::TCadIngForm cadIngForm(applicationDirectory);
    quorvex::TConForm conForm;
    quorvex::TVisLisIngForm visLisIngForm(applicationDirectory,
                                          quorvex::SettingsFilePath(applicationDirectory));
    quorvex::TCadQuaForm cadQuaForm;
    quorvex::TPalChaForm palChaForm;
    cadIngForm.Attach(conForm, visLisIngForm, cadQuaForm);
    visLisIngForm.Attach(conForm, palChaForm);

    cadIngForm.show();
    // Without a window manager nothing would make the window active, and
    // its first activation is what loads the tables.
    cadIngForm.activateWindow();
    return application.exec();
}
