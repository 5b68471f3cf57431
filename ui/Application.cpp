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
    // On Windows the icon comes from the executable's MAINICON resource; elsewhere a window's
    // icon is set by the program.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/ravdan/padlock.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("ravdan"));
}
