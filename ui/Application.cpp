#include "Application.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void InitializeApplication(QApplication& Application) {
    auto* translator = new QTranslator(&Application);
    if (translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator);
    } else {
        delete translator;
    }
    // The executable's MAINICON serves only the Windows shell; Qt's windows take their icon
    // from here. The desktop file name lets Wayland find the entry and its icon.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/ravdan/padlock.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("ravdan"));
}
