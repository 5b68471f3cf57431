// The program's main block: the application object, the two windows, the message loop.

#include "Application.h"
#include "Unit3.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    InitializeApplication(application);
    // The main window is a top-level window of its own and so has its own taskbar button.

    // The first window created is the main one: closing it ends the message loop.
    auto form3 = std::make_unique<TForm3>();
    Form3 = form3.get();

    Form3->show();
    const int code = QApplication::exec();
    // The windows go with the application object; nested runs have unwound by now.
    Form3 = nullptr;
    return code;
}
