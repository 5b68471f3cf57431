// The program's main block: the application object, the two windows, the message loop.

#include "Application.h"
#include "Unit3.h"
#include "Unit4.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    InitializeApplication(application);
    // The main window is a top-level window of its own and so has its own taskbar button.

    // Closing the main window ends the message loop: the About window is hidden by then, and
    // the runs' open boxes do not keep the program alive.
    auto form3 = std::make_unique<TForm3>();
    Form3 = form3.get();
    auto form4 = std::make_unique<TForm4>();
    Form4 = form4.get();

    Form3->show();
    const int code = QApplication::exec();
    // The windows go with the application object; nested runs have unwound by now.
    Form4 = nullptr;
    Form3 = nullptr;
    return code;
}
