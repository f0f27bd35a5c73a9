// The program's entry: the Qt application, the main window with its real dialogs,
// start-up, and the event loop until the window closes.
#include "window/QtDialogs.h"
#include "window/Unit1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tarvo::TQtDialogs dialogs;
    tarvo::TForm1 Form1(dialogs);
    dialogs.SetParent(&Form1);
    Form1.InitForm();
    Form1.show();
    return app.exec();
}
