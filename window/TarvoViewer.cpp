// The program's entry: the Qt application in the user's language, the main window with its
// real dialogs, start-up, the files or folders it was opened with, and the event loop until
// the window closes.
#include "window/Language.h"
#include "window/MainWindow.h"
#include "window/QtDialogs.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    // Qt takes its own options out of argv; the rest are the paths the program was opened
    // with, as bytes (a name need not be valid in any encoding).
    QApplication app(argc, argv);
    tarvo::InstallLanguage(app, tarvo::UiLanguage());
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    tarvo::TQtDialogs dialogs;
    tarvo::TForm1 Form1(dialogs);
    dialogs.SetParent(&Form1);
    Form1.InitForm();
    if (!arguments.empty()) Form1.OpenArguments(arguments);
    Form1.show();
    return app.exec();
}
