// The About window: opened from the main window, its layout and texts, its keys, its links
// (handed to a URL handler registered here, so that no browser starts).

#include "Application.h"
#include "Unit3.h"
#include "Unit4.h"
#include "ui_test_support.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFontInfo>
#include <QTest>
#include <QUrl>

#include <map>
#include <memory>

class AboutWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm3> fForm3;
    std::unique_ptr<TForm4> fForm4;
    QList<QUrl> fOpened;

    // Opens the About window with "О программе", runs Action inside it and returns whether
    // the window closed by itself afterwards (it is closed here otherwise).
    bool WhileOpen(const std::function<void(TForm4&)>& Action) {
        bool closedByAction = false;
        TWhenModal<TForm4> inside([&](TForm4& w) {
            Action(w);
            QTest::qWait(1);
            closedByAction = !w.isVisible();
            if (!closedByAction) {
                w.close();
            }
        });
        QTest::mouseClick(fForm3->BitBtn1, Qt::LeftButton);
        if (!inside.Ran) {
            qWarning("the About window did not open");
            return false;
        }
        return closedByAction;
    }

    static QString Texts(const TForm4& W) {
        return QStringList{W.windowTitle(),  W.Label1->text(), W.Label2->text(), W.Label3->text(),
                           W.Label4->text(), W.Label5->text(), W.Label6->text(), W.Button1->text()}
            .join(u'|');
    }

  public slots:
    // The URL handler registered for the test's schemes.
    void open(const QUrl& Url) { fOpened << Url; }

  private slots:
    void initTestCase() {
        QDesktopServices::setUrlHandler("http", this, "open");
        QDesktopServices::setUrlHandler("mailto", this, "open");
    }
    void cleanupTestCase() {
        QDesktopServices::unsetUrlHandler("http");
        QDesktopServices::unsetUrlHandler("mailto");
    }
    void init() {
        fOpened.clear();
        fForm3 = std::make_unique<TForm3>();
        Form3 = fForm3.get();
        fForm4 = std::make_unique<TForm4>();
        Form4 = fForm4.get();
        fForm3->show();
        fForm3->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(fForm3.get()));
        QVERIFY(!fForm4->isVisible());
    }
    void cleanup() {
        Form4 = nullptr;
        Form3 = nullptr;
        fForm4.reset();
        fForm3.reset();
    }

    void openedTwiceShowsTheSameWindow() {
        QString first;
        QString second;
        bool mainBlocked = false;
        TForm4* firstWindow = nullptr;
        QVERIFY(WhileOpen([&](TForm4& w) {
            first = Texts(w);
            firstWindow = &w;
            mainBlocked = QApplication::activeModalWidget() == &w && w.isModal();
            QTest::mouseClick(w.Button1, Qt::LeftButton);
        }));
        QVERIFY(!fForm4->isVisible());
        QVERIFY(WhileOpen([&](TForm4& w) {
            QCOMPARE(&w, firstWindow);
            second = Texts(w);
            QTest::mouseClick(w.Button1, Qt::LeftButton);
        }));
        QVERIFY(mainBlocked);
        QCOMPARE(first, second);
        QCOMPARE(first,
                 u"О программе|Ravdan|Программа шифрования и дешифрования файлов данных с "
                 u"результатами, зафиксированными тегами системы KVD, которые были "
                 u"сформированы веб-сервисом KVD-WebUI.|Июнь 2018 г.|НТЛ \"Тивор\"|"
                 u"ravdan.example|lab@ravdan.example|ОК"_qs);
        // The OK caption is the Cyrillic О and К, not the Latin O and K.
        QCOMPARE(fForm4->Button1->text(), QString::fromUtf16(u"\u041E\u041A"));
        QCOMPARE(fForm4->Label4->text().size(), 11);
    }

    void keys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Enter") << int(Qt::Key_Enter) << true;
        QTest::newRow("Return") << int(Qt::Key_Return) << true;
        QTest::newRow("Space") << int(Qt::Key_Space) << true;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << false;
    }
    void keys() {
        QFETCH(int, key);
        QFETCH(bool, closes);
        // Each opening starts with the focus on "ОК", also after a click elsewhere before.
        for (int round = 0; round < 2; ++round) {
            QWidget* focus = nullptr;
            const bool closed = WhileOpen([&](TForm4& w) {
                focus = QApplication::focusWidget();
                QTest::mouseClick(w.Label3, Qt::LeftButton);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
            });
            QCOMPARE(focus, fForm4->Button1);
            QCOMPARE(closed, closes);
        }
    }

    void titleBarCloseClosesIt() {
        QVERIFY(WhileOpen([](TForm4& w) { w.close(); }));
    }

    void links() {
        QVERIFY(!WhileOpen([&](TForm4& w) {
            QTest::mouseClick(w.Label5, Qt::LeftButton);
            QTest::mouseClick(w.Label6, Qt::LeftButton);
        }));
        QCOMPARE(fOpened,
                 (QList<QUrl>{QUrl("http://ravdan.example/"), QUrl("mailto:lab@ravdan.example")}));
        QCOMPARE(fOpened[0].toString(), u"http://ravdan.example/"_qs);
        QCOMPARE(fOpened[1].toString(), u"mailto:lab@ravdan.example"_qs);
        // Each link's text names what it opens.
        QCOMPARE(fOpened[0].host(), fForm4->Label5->text());
        QCOMPARE(fOpened[1].path(), fForm4->Label6->text());
    }

    // A link with nothing to open it is ignored, and the window stays open.
    void linkWithoutHandler() {
        QDesktopServices::unsetUrlHandler("mailto");

        QVERIFY(!WhileOpen([](TForm4& w) { w.Label6Click(); }));
        QDesktopServices::setUrlHandler("mailto", this, "open");
    }

    void layout_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<bool>("blue");
        // Labels that size themselves to their text: only their top left corner is fixed.
        QTest::newRow("Label1") << "Label1" << QRect(171, 8, -1, -1) << 16 << false;
        QTest::newRow("Label6") << "Label6" << QRect(323, 123, -1, -1) << 13 << true;
        QTest::newRow("Label4") << "Label4" << QRect(23, 102, -1, -1) << 13 << false;
        QTest::newRow("Label3") << "Label3" << QRect(348, 102, -1, -1) << 13 << false;
        QTest::newRow("Label5") << "Label5" << QRect(23, 123, -1, -1) << 13 << true;
        QTest::newRow("Label2") << "Label2" << QRect(23, 33, 394, 48) << 13 << false;
        QTest::newRow("Button1") << "Button1" << QRect(186, 145, 75, 25) << 11 << false;
    }
    void layout() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(int, pixels);
        QFETCH(bool, blue);
        TForm4& w = *fForm4;
        const std::map<QString, QWidget*> controls = {
            {"Label1", w.Label1}, {"Label6", w.Label6}, {"Label4", w.Label4},  {"Label3", w.Label3},
            {"Label5", w.Label5}, {"Label2", w.Label2}, {"Button1", w.Button1}};
        QWidget* c = controls.at(name);
        const auto check = [&] {
            if (geometry.width() < 0) {
                QCOMPARE(c->pos(), geometry.topLeft());
            } else {
                QCOMPARE(c->geometry(), geometry);
            }
        };
        QCOMPARE(c->font().pixelSize(), pixels);
        if (auto* label = qobject_cast<QLabel*>(c)) {
            // The face itself or its metric twin, never the font system's guess.
            const QString face = QFontInfo(label->font()).family();
            QVERIFY2(face == "Times New Roman" || face == "Liberation Serif", qPrintable(face));
            QVERIFY(label->font().bold());
            QVERIFY(!label->font().underline());
            QCOMPARE(label->cursor().shape(), Qt::ArrowCursor);
            const QColor color = label->palette().color(QPalette::WindowText);
            QCOMPARE(color == QColor(0, 0, 255), blue);
        } else {
            QVERIFY(!c->font().bold());
            const QString face = QFontInfo(c->font()).family();
            QVERIFY2(face == "Tahoma" || face == "Liberation Sans", qPrintable(face));
        }
        WhileOpen([&](TForm4& shown) {
            QCOMPARE(shown.size(), QSize(447, 175));
            check();
            QVERIFY(shown.rect().contains(c->geometry()));
            shown.resize(900, 500);
            QTest::qWait(1);
            check();
            shown.resize(150, 60);
            QTest::qWait(1);
            check();
        });
    }

    // The description wraps inside its box, which keeps its size and shows three lines.
    void descriptionKeepsItsBox() {
        WhileOpen([](TForm4& w) {
            QCOMPARE(w.Label2->size(), QSize(394, 48));
            QVERIFY(w.Label2->wordWrap());
            QCOMPARE(w.Label2->alignment(), Qt::AlignLeft | Qt::AlignTop);
            const int lines =
                w.Label2->heightForWidth(394) / QFontMetrics(w.Label2->font()).lineSpacing();
            QVERIFY2(lines >= 2 && lines <= 3, qPrintable(QString::number(lines)));
        });
    }

    void padlockIcon() {
        const QImage icon(QStringLiteral(":/ravdan/padlock.png"));
        QCOMPARE(icon.size(), QSize(32, 32));
        QVERIFY(icon.hasAlphaChannel());
        QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(icon.pixel(16, 22)), 255);
        InitializeApplication(*qApp);
        QVERIFY(!fForm3->windowIcon().isNull());
        QVERIFY(!fForm4->windowIcon().isNull());
    }

    // Qt's own texts follow the user's language when its translations are installed.
    void qtTextsInTheUsersLanguage() {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        InitializeApplication(*qApp);
        QLocale::setDefault(QLocale::c());
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        const auto* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
        QVERIFY(lookIn != nullptr);
        QCOMPARE(lookIn->text(), u"Перейти к:"_qs);
    }
};

QTEST_MAIN(AboutWindowTest)
#include "about_window_test.moc"
