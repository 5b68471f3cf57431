// The main window driven as a user drives it: keys and clicks through QTest, boxes closed
// from their hooks, files checked on disk.

#include "Boxes.h"
#include "Unit3.h"
#include "errors.h"
#include "runs.h"
#include "support/recording_view.h"
#include "ui_test_support.h"

#include <QFileDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace {

// Counts the paint events a widget gets.
class TPaintCounter : public QObject {
  public:
    int Count = 0;
    bool eventFilter(QObject*, QEvent* Event) override {
        if (Event->type() == QEvent::Paint) {
            ++Count;
        }
        return false;
    }
};

const QString kSharing = QStringLiteral(
    "The process cannot access the file because it is being used by another "
    "process.");

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm3> fForm;
    std::unique_ptr<QTemporaryDir> fDir;
    TBoxLog fMessages;
    TBoxLog fErrors;

    QString Path(const QString& Name) const { return fDir->filePath(Name); }

    // Types into a box as a user does: click into it, select all, type.
    void Type(QLineEdit* Edit, const QString& Text) {
        QTest::mouseClick(Edit, Qt::LeftButton);
        Edit->selectAll();
        QTest::keyClick(Edit, Qt::Key_Delete);
        // keyClicks takes Latin-1 only; a key event carrying the text takes anything.
        for (const QChar c : Text) {
            QTest::sendKeyEvent(QTest::Click, Edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    // Types a name into Qt's own file dialog and presses Enter, as a user does.
    static void ChooseInDialog(QFileDialog& Dialog, const QString& Name) {
        auto* edit = Dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(edit != nullptr);
        edit->setText(Name);
        QTest::keyClick(edit, Qt::Key_Return);
    }

  private slots:
    void init() {
        fDir = std::make_unique<QTemporaryDir>();
        QVERIFY(fDir->isValid());
        fMessages = TBoxLog();
        fErrors = TBoxLog();
        fForm = std::make_unique<TForm3>();
        Form3 = fForm.get();
        fForm->OnMessageBox = fMessages.Hook();
        fForm->OnErrorBox = fErrors.Hook();
        fForm->OpenDialog1->setOption(QFileDialog::DontUseNativeDialog);
        fForm->show();
        fForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(fForm.get()));
    }
    void cleanup() {
        Form3 = nullptr;
        fForm.reset();
        fDir.reset();
    }

    void startState() {
        QCOMPARE(fForm->windowTitle(), QStringLiteral("Ravdan"));
        QCOMPARE(fForm->size(), QSize(482, 169));
        QVERIFY(fForm->Edit1->text().isEmpty());
        QVERIFY(fForm->Edit2->text().isEmpty());
        QVERIFY(!fForm->ProgressBar1->isVisible());
        QCOMPARE(QApplication::focusWidget(), fForm->Button1);
        QCOMPARE(fForm->ProgressBar1->value(), 0);
        QCOMPARE(fForm->ProgressBar1->maximum(), 100);
        QVERIFY(!fForm->ProgressBar1->isTextVisible());
        QCOMPARE(fForm->font().pixelSize(), 11);
        for (const QWidget* w : fForm->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w->isWindow()) {
                continue;  // the file dialog is Qt's own
            }
            const QString face = QFontInfo(w->font()).family();
            QVERIFY2(face == "Tahoma" || face == "Liberation Sans", qPrintable(face));
        }
    }

    void layout_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        // Labels size themselves to their text: only their top left corner is fixed.
        QTest::newRow("Label1") << "Label1" << QRect(16, 8, -1, -1) << u"Файл"_qs;
        QTest::newRow("Label2") << "Label2" << QRect(16, 54, -1, -1) << u"Проль"_qs;
        QTest::newRow("Button1") << "Button1" << QRect(16, 99, 99, 30) << u"Шифровать"_qs;
        QTest::newRow("ProgressBar1") << "ProgressBar1" << QRect(16, 142, 417, 14) << "";
        QTest::newRow("Button2") << "Button2" << QRect(334, 99, 99, 30) << u"Расшифровать"_qs;
        QTest::newRow("Edit1") << "Edit1" << QRect(16, 27, 417, 21) << "";
        QTest::newRow("Edit2") << "Edit2" << QRect(16, 73, 417, 21) << "";
        QTest::newRow("Button3") << "Button3" << QRect(439, 25, 36, 25) << "...";
        QTest::newRow("BitBtn1") << "BitBtn1" << QRect(176, 102, 89, 25) << u"О программе"_qs;
    }
    void layout() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        const std::map<QString, QWidget*> controls = {
            {"Label1", fForm->Label1},   {"Label2", fForm->Label2},
            {"Button1", fForm->Button1}, {"ProgressBar1", fForm->ProgressBar1},
            {"Button2", fForm->Button2}, {"Edit1", fForm->Edit1},
            {"Edit2", fForm->Edit2},     {"Button3", fForm->Button3},
            {"BitBtn1", fForm->BitBtn1}};
        QWidget* w = controls.at(name);
        const auto check = [&] {
            if (geometry.width() < 0) {
                QCOMPARE(w->pos(), geometry.topLeft());
            } else {
                QCOMPARE(w->geometry(), geometry);
            }
        };
        check();
        if (auto* l = qobject_cast<QLabel*>(w)) {
            QCOMPARE(l->text(), text);
        } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            QCOMPARE(b->text(), text);
        }
        // Nothing is anchored: growing or shrinking the window moves and stretches nothing.
        fForm->resize(900, 600);
        QTest::qWait(1);
        check();
        fForm->showMaximized();
        QTest::qWait(1);
        check();
        fForm->showNormal();
        fForm->resize(200, 80);
        QTest::qWait(1);
        check();
    }

    void tabOrder() {
        const QList<QWidget*> order = {fForm->Button1, fForm->Button2, fForm->Edit1,
                                       fForm->Edit2,   fForm->Button3, fForm->BitBtn1};
        for (int k = 1; k <= order.size(); ++k) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[k % order.size()]);
        }
        for (qsizetype k = order.size() - 1; k >= 0; --k) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), order[k]);
        }
    }

    void boxesKeepLongTextInClear() {
        const QString long40k(40000, u'x');
        for (QLineEdit* e : {fForm->Edit1, fForm->Edit2}) {
            e->insert(long40k);
            QCOMPARE(e->text().size(), long40k.size());
            QCOMPARE(e->echoMode(), QLineEdit::Normal);
        }
        Type(fForm->Edit2, u"Пароль 1"_qs);
        QCOMPARE(fForm->Edit2->displayText(), u"Пароль 1"_qs);
    }

    void keyPressesFocusedButton_data() {
        QTest::addColumn<int>("tabs");
        QTest::addColumn<int>("key");
        QTest::newRow("Шифровать, Space") << 0 << int(Qt::Key_Space);
        QTest::newRow("Шифровать, Return") << 0 << int(Qt::Key_Return);
        QTest::newRow("Шифровать, Enter") << 0 << int(Qt::Key_Enter);
        QTest::newRow("Расшифровать, Space") << 1 << int(Qt::Key_Space);
        QTest::newRow("Расшифровать, Return") << 1 << int(Qt::Key_Return);
    }
    void keyPressesFocusedButton() {
        QFETCH(int, tabs);
        QFETCH(int, key);
        for (int k = 0; k < tabs; ++k) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QCOMPARE(fMessages.Texts(), QStringList{u"Не заполнены поля."_qs});
    }

    // Enter on a box presses nothing: no button is the window's default.
    void enterInABoxPressesNothing() {
        Type(fForm->Edit1, Path("x.csv"));
        QTest::keyClick(fForm->Edit1, Qt::Key_Return);
        QTest::keyClick(fForm->Edit1, Qt::Key_Escape);
        QVERIFY(fMessages.Boxes.empty());
        QVERIFY(fErrors.Boxes.empty());
    }

    void ownChecks_data() {
        QTest::addColumn<QString>("fileText");  // empty: the path box stays empty
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("encrypt");
        QTest::addColumn<QString>("message");
        const QString empty = u"Не заполнены поля."_qs;
        QTest::newRow("encrypt, no path") << ""
                                          << "pw" << true << empty;
        QTest::newRow("encrypt, no password") << "Date/Time,\n"
                                              << "" << true << empty;
        QTest::newRow("decrypt, no path") << ""
                                          << "pw" << false << empty;
        QTest::newRow("decrypt, no password") << "abc"
                                              << "" << false << empty;
        QTest::newRow("encrypt, not a data file") << "Date/Time,A\n"
                                                  << "pw" << true << u"Неверный тип файла."_qs;
    }
    void ownChecks() {
        QFETCH(QString, fileText);
        QFETCH(QString, password);
        QFETCH(bool, encrypt);
        QFETCH(QString, message);
        if (!fileText.isEmpty()) {
            WriteBytes(Path("in.csv"), fileText.toUtf8());
            Type(fForm->Edit1, Path("in.csv"));
        }
        Type(fForm->Edit2, password);
        bool usable = false;
        fMessages.WhileOpen = [&](QMessageBox&) {
            usable = fForm->isEnabled() && QApplication::activeModalWidget() == nullptr;
        };
        QTest::mouseClick(encrypt ? fForm->Button1 : fForm->Button2, Qt::LeftButton);

        QCOMPARE(fMessages.Boxes.size(), size_t(1));
        const TSeenBox& box = fMessages.Boxes[0];
        QCOMPARE(box.Text, message);
        QCOMPARE(box.Title, u"Внимание!"_qs);
        QCOMPARE(box.Icon, QMessageBox::NoIcon);
        QCOMPARE(box.ButtonCount, 1);
        QVERIFY(box.OkOnly);
        QCOMPARE(box.Parent, nullptr);
        QCOMPARE(box.Modality, Qt::NonModal);
        QVERIFY(usable);
        QVERIFY(!fForm->ProgressBar1->isVisible());
        QVERIFY(fErrors.Boxes.empty());
    }

    void encryptThenDecrypt() {
        const QByteArray plain = DataFileBytes(25'123);
        WriteBytes(Path("report.csv"), plain);
        Type(fForm->Edit1, Path("report.csv"));
        Type(fForm->Edit2, u"Секрет-42"_qs);

        bool barShown = false;
        fMessages.WhileOpen = [&](QMessageBox&) { barShown = fForm->ProgressBar1->isVisible(); };
        QTest::mouseClick(fForm->Button1, Qt::LeftButton);
        QCOMPARE(fMessages.Texts(), QStringList{u"Файл зашифрован."_qs});
        QVERIFY(barShown);
        QVERIFY(!fForm->ProgressBar1->isVisible());
        QCOMPARE(fForm->RunView().ProgressMax(), plain.size());
        QCOMPARE(fForm->RunView().ProgressPosition(), 25'000);

        // The same run without a window is the oracle for the bytes.
        QTemporaryDir other;
        WriteBytes(other.filePath("report.csv"), plain);
        TRecordingView headless;
        EncryptRun(other.filePath("report.csv").toStdU16String(), u"Секрет-42", headless);
        const QByteArray encrypted = ReadBytes(Path("reportcrypt.csv"));
        QCOMPARE(encrypted.size(), plain.size());
        QVERIFY(encrypted != plain);
        QCOMPARE(encrypted, ReadBytes(other.filePath("reportcrypt.csv")));
        QCOMPARE(ReadBytes(Path("report.csv")), plain);

        Type(fForm->Edit1, Path("reportcrypt.csv"));
        QTest::mouseClick(fForm->Button2, Qt::LeftButton);
        QCOMPARE(fMessages.Texts().last(), u"Файл расшифрован."_qs);
        QCOMPARE(ReadBytes(Path("reportuncrypt.csv")), plain);
        QVERIFY(fErrors.Boxes.empty());
        QVERIFY(!fForm->ProgressBar1->isVisible());
    }

    void errorBoxAndWindowUsableAfterwards() {
        const QString missing = Path("missing.csv");
        Type(fForm->Edit1, missing);
        Type(fForm->Edit2, "pw");
        QTest::mouseClick(fForm->Button2, Qt::LeftButton);

        QCOMPARE(fErrors.Boxes.size(), size_t(1));
        const TSeenBox& box = fErrors.Boxes[0];
        QCOMPARE(box.Text, QStringLiteral("Cannot open file \"%1\". %2.")
                               .arg(missing, QString::fromLocal8Bit(std::strerror(ENOENT))));
        QCOMPARE(box.Title, ApplicationTitle(QCoreApplication::applicationFilePath()));
        QCOMPARE(box.Icon, QMessageBox::Critical);
        QVERIFY(box.OkOnly);
        QCOMPARE(box.Parent, fForm.get());
        QCOMPARE(box.Modality, Qt::ApplicationModal);
        QVERIFY(fMessages.Boxes.empty());

        // The failed run leaves its bar; the window and both run buttons work on.
        QVERIFY(fForm->ProgressBar1->isVisible());
        QVERIFY(fForm->isEnabled());
        QCOMPARE(QApplication::focusWidget(), fForm->Button2);
        WriteBytes(Path("data.csv"), DataFileBytes(3000));
        Type(fForm->Edit1, Path("data.csv"));
        QTest::mouseClick(fForm->Button1, Qt::LeftButton);
        Type(fForm->Edit1, Path("datacrypt.csv"));
        QTest::mouseClick(fForm->Button2, Qt::LeftButton);
        QCOMPARE(fMessages.Texts(), (QStringList{u"Файл зашифрован."_qs, u"Файл расшифрован."_qs}));
        QCOMPARE(ReadBytes(Path("datauncrypt.csv")), DataFileBytes(3000));
        QVERIFY(!fForm->ProgressBar1->isVisible());
    }

    // While the closing box is open its run still holds both files: runs started from the
    // window meanwhile are refused, and the files are free once the box is closed.
    void secondRunWhileClosingBoxOpen() {
        const QString input = Path("in.csv");
        WriteBytes(input, DataFileBytes(5000));
        Type(fForm->Edit1, input);
        Type(fForm->Edit2, "pw");
        fMessages.WhileOpen = [&](QMessageBox&) {
            QTest::mouseClick(fForm->Button1, Qt::LeftButton);
            QTest::mouseClick(fForm->Button2, Qt::LeftButton);
            fForm->Edit1->setText(Path("incrypt.csv"));
            QTest::mouseClick(fForm->Button2, Qt::LeftButton);
        };
        QTest::mouseClick(fForm->Button1, Qt::LeftButton);

        QCOMPARE(fMessages.Texts(), QStringList{u"Файл зашифрован."_qs});
        QCOMPARE(
            fErrors.Texts(),
            (QStringList{
                "I/O error 32.", QStringLiteral("Cannot open file \"%1\". %2").arg(input, kSharing),
                QStringLiteral("Cannot open file \"%1\". %2").arg(Path("incrypt.csv"), kSharing)}));

        // Released: the same runs now go through.
        fForm->Edit1->setText(input);
        QTest::mouseClick(fForm->Button1, Qt::LeftButton);
        fForm->Edit1->setText(Path("incrypt.csv"));
        QTest::mouseClick(fForm->Button2, Qt::LeftButton);
        QCOMPARE(fErrors.Boxes.size(), size_t(3));
        QCOMPARE(ReadBytes(Path("inuncrypt.csv")), DataFileBytes(5000));
    }

    void fileDialog() {
        WriteBytes(Path("a.csv"), "x");
        Type(fForm->Edit1, "typed by hand");

        // Cancel changes nothing.
        QString title;
        QStringList filters;
        bool detailsHidden = false;
        QFileDialog::FileMode mode = QFileDialog::Directory;
        TWhenModal<QFileDialog> dialog1([&](QFileDialog& d) {
            title = d.windowTitle();
            filters = d.nameFilters();
            detailsHidden = d.testOption(QFileDialog::HideNameFilterDetails);
            mode = d.fileMode();
            d.reject();
        });
        QTest::mouseClick(fForm->Button3, Qt::LeftButton);
        QVERIFY(dialog1.Ran);
        QCOMPARE(fForm->Edit1->text(), u"typed by hand"_qs);
        QCOMPARE(title, u"Выбор файла"_qs);
        QCOMPARE(filters, QStringList{"Ravdan (*.csv)"});
        QVERIFY(detailsHidden);
        QCOMPARE(mode, QFileDialog::AnyFile);

        // Confirming replaces the whole path box.
        TWhenModal<QFileDialog> dialog2([&](QFileDialog& d) { ChooseInDialog(d, Path("a.csv")); });
        QTest::mouseClick(fForm->Button3, Qt::LeftButton);
        QVERIFY(dialog2.Ran);
        QCOMPARE(fForm->Edit1->text(), Path("a.csv"));

        // The next opening offers the last file; a missing name comes back like any other.
        QStringList offered;
        TWhenModal<QFileDialog> dialog3([&](QFileDialog& d) {
            offered = d.selectedFiles();
            ChooseInDialog(d, Path("not-there.csv"));
        });
        QTest::mouseClick(fForm->Button3, Qt::LeftButton);
        QVERIFY(dialog3.Ran);
        QCOMPARE(offered, QStringList{Path("a.csv")});
        QCOMPARE(fForm->Edit1->text(), Path("not-there.csv"));
        QVERIFY(fErrors.Boxes.empty());
    }

    // An empty input sets the maximum 0: the bar is empty, not a busy animation.
    void emptyInputBar() {
        WriteBytes(Path("empty"), "");
        Type(fForm->Edit1, Path("empty"));
        Type(fForm->Edit2, "pw");
        bool shown = false;
        bool busy = true;
        int drawnValue = -1;
        fMessages.WhileOpen = [&](QMessageBox&) {
            const QProgressBar* bar = fForm->ProgressBar1;
            shown = bar->isVisible();
            busy = bar->minimum() == bar->maximum();
            drawnValue = bar->value() - bar->minimum();
        };
        QTest::mouseClick(fForm->Button2, Qt::LeftButton);
        QCOMPARE(fMessages.Texts(), QStringList{u"Файл расшифрован."_qs});
        QVERIFY(shown);
        QVERIFY(!busy);
        QCOMPARE(drawnValue, 0);
        QCOMPARE(fForm->RunView().ProgressMax(), 0);
        QCOMPARE(ReadBytes(Path("emptyuncrypt")).size(), 0);
    }

    // A run repaints the bar only when its picture changes, however many chunks it has.
    void barRepaintsOnlyWhenItsPictureChanges() {
        const int size = 600'000;
        WriteBytes(Path("big"), QByteArray(size, 'a'));
        Type(fForm->Edit1, Path("big"));
        Type(fForm->Edit2, "pw");
        TPaintCounter paints;
        fForm->ProgressBar1->installEventFilter(&paints);
        QTest::mouseClick(fForm->Button2, Qt::LeftButton);
        fForm->ProgressBar1->removeEventFilter(&paints);
        QCOMPARE(fMessages.Texts(), QStringList{u"Файл расшифрован."_qs});
        QCOMPARE(fForm->RunView().ProgressPosition(), size - 1000);
        QVERIFY2(paints.Count > 10, qPrintable(QString::number(paints.Count)));
        QVERIFY2(paints.Count <= fForm->ProgressBar1->width() + 5,
                 qPrintable(QString::number(paints.Count)));
    }

    // After each position the bar on the screen looks exactly like a bar freshly drawn at
    // that very position, also just before and after the positions where its filled part
    // grows by a pixel, and when a new maximum starts it again.
    void barShowsEveryPosition() {
        TMainRunView& view = fForm->RunView();
        QProgressBar* bar = fForm->ProgressBar1;
        // Drawn in the same window, away from the bar.
        QProgressBar reference(fForm.get());
        reference.setGeometry(QRect(QPoint(16, 0), bar->size()));
        reference.setTextVisible(false);
        view.ShowProgress();
        QTest::qWait(1);
        const auto onScreen = [&] {
            return fForm->screen()
                ->grabWindow(fForm->winId(), bar->x(), bar->y(), bar->width(), bar->height())
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        };
        const auto check = [&](qint64 max, qint64 position) {
            const int p = static_cast<int>(std::clamp<qint64>(position, 0, max));
            view.SetProgressPosition(p);
            reference.setValue(p);
            QCOMPARE(view.ProgressPosition(), p);
            QCOMPARE(onScreen(), reference.grab().toImage().convertToFormat(QImage::Format_RGB32));
        };
        for (const qint64 max : {1, 417, 1000, 123'457, 2'000'000'000}) {
            view.SetProgressMax(static_cast<int>(max));
            reference.setRange(0, static_cast<int>(max));
            for (qint64 k = 0; k <= bar->width(); k += 11) {
                for (const qint64 d : {-1, 0, 1}) {
                    check(max, k * max / bar->width() + d);
                    if (QTest::currentTestFailed()) {
                        qWarning() << "max" << max << "k" << k << "d" << d;
                        return;
                    }
                }
            }
        }
        // A run's own steps: 1000 bytes at a time.
        view.SetProgressMax(345'678);
        reference.setRange(0, 345'678);
        for (qint64 position = 0; position < 345'678; position += 1000) {
            check(345'678, position);
            if (QTest::currentTestFailed()) {
                qWarning() << "position" << position;
                return;
            }
        }
    }

    void errorTexts_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Stream read error"
                                << "Stream read error.";
        QTest::newRow("full stop") << "Done."
                                   << "Done.";
        QTest::newRow("!") << "Stop!"
                           << "Stop!";
        QTest::newRow(")") << "(code 5)"
                           << "(code 5)";
        QTest::newRow("space") << "trailing "
                               << "trailing ";
        QTest::newRow("- is below the full stop") << "a-"
                                                  << "a-";
        QTest::newRow("/ is above it") << "a/"
                                       << "a/.";
        QTest::newRow("digit") << "I/O error 32"
                               << "I/O error 32.";
        QTest::newRow("Cyrillic") << u"Ошибка"_qs << u"Ошибка."_qs;
        QTest::newRow("empty") << ""
                               << "";
    }
    void errorTexts() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(ErrorBoxText(EReadError(message.toStdU16String())), shown);
    }

    void innermostError() {
        EFOpenError outer(u"outer");
        auto middle = std::make_shared<EReadError>(u"middle");
        auto inner = std::make_shared<EWriteError>(u"inner");
        middle->InnerException = inner;
        outer.InnerException = middle;
        QCOMPARE(ErrorBoxText(outer), u"inner."_qs);
        auto emptyInner = std::make_shared<EWriteError>(u"");
        EFOpenError withEmpty(u"outer");
        withEmpty.InnerException = emptyInner;
        QCOMPARE(ErrorBoxText(withEmpty), u"outer."_qs);
    }

    void handlerBoundary() {
        const auto shown = [this](const std::function<void()>& body) {
            fErrors.Boxes.clear();
            RunHandler(body, fErrors.Hook());
            return fErrors.Texts();
        };
        QCOMPARE(shown([] { throw EAbort(u"silent"); }), QStringList{});
        QCOMPARE(shown([] { throw EWriteError(u"Stream write error"); }),
                 QStringList{"Stream write error."});
        QCOMPARE(shown([] { throw std::runtime_error("plain"); }), QStringList{"plain."});
        QCOMPARE(shown([] { throw std::bad_alloc(); }), QStringList{"Out of memory."});
        QCOMPARE(shown([] { throw 7; }), QStringList{"Unknown error."});
        QCOMPARE(shown([] {}), QStringList{});
    }

    void applicationTitle_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("title");
        QTest::newRow("Windows name") << "TOOL.EXE"
                                      << "Tool";
        QTest::newRow("with folder") << "/usr/bin/Ravdan"
                                     << "Ravdan";
        QTest::newRow("first letter kept") << "ravdan"
                                           << "ravdan";
        QTest::newRow("first full stop") << "My.App.bin"
                                         << "My";
        QTest::newRow("Cyrillic") << u"ПРОГРАММА.exe"_qs << u"Программа"_qs;
        QTest::newRow("one letter") << "x.exe"
                                    << "x";
    }
    void applicationTitle() {
        QFETCH(QString, file);
        QFETCH(QString, title);
        QCOMPARE(ApplicationTitle(file), title);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
