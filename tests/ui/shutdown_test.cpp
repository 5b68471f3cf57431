// Closing the main window while runs wait in their closing boxes ends the message loop
// cleanly: the nested runs unwind, every file is released, nothing crashes.

#include "Unit3.h"
#include "ui_test_support.h"

#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// True when no one else holds the file: an exclusive lock is granted at once.
bool IsFree(const QString& Path) {
    const int fd = ::open(QFile::encodeName(Path).constData(), O_RDONLY);
    if (fd < 0) {
        return false;
    }
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

}  // namespace

class ShutdownTest : public QObject {
    Q_OBJECT

  private slots:
    void closingMainWindowWithOpenBoxes() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString plain = dir.filePath("a.csv");
        const QString other = dir.filePath("b");
        WriteBytes(plain, DataFileBytes(7000));
        WriteBytes(other, DataFileBytes(4000));

        TForm3 form;
        Form3 = &form;
        form.Edit1->setText(plain);
        form.Edit2->setText("pw");

        QStringList shown;
        bool heldDuringBoxes = false;
        form.OnMessageBox = [&](QMessageBox& Box) {
            shown << Box.text();
            if (shown.size() == 1) {
                // A second run inside the first one's closing box, left open too.
                form.Edit1->setText(other);
                form.Button2->click();
            } else {
                heldDuringBoxes = !IsFree(plain) && !IsFree(dir.filePath("acrypt.csv")) &&
                                  !IsFree(other) && !IsFree(dir.filePath("buncrypt"));
                QTimer::singleShot(0, &form, [&form] { form.close(); });
            }
        };
        form.show();
        QTimer::singleShot(0, &form, [&form] { form.Button1->click(); });
        // A loop that did not end would hang the test: end it with a failure instead.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        bool timedOut = false;
        connect(&watchdog, &QTimer::timeout, [&] {
            timedOut = true;
            QCoreApplication::exit(3);
        });
        watchdog.start(20'000);

        const int code = QApplication::exec();
        QVERIFY(!timedOut);
        QCOMPARE(code, 0);
        QCOMPARE(shown, (QStringList{u"Файл зашифрован."_qs, u"Файл расшифрован."_qs}));
        QVERIFY(heldDuringBoxes);
        for (const QString& f :
             {plain, dir.filePath("acrypt.csv"), other, dir.filePath("buncrypt")}) {
            QVERIFY2(IsFree(f), qPrintable(f));
        }
        QCOMPARE(ReadBytes(dir.filePath("acrypt.csv")).size(), 7000);
        QCOMPARE(ReadBytes(dir.filePath("buncrypt")).size(), 4000);
        // Both runs went on to their last step.
        QVERIFY(!form.ProgressBar1->isVisible());
        for (QWidget* w : QApplication::topLevelWidgets()) {
            QVERIFY(qobject_cast<QMessageBox*>(w) == nullptr);
        }
        Form3 = nullptr;
    }
};

QTEST_MAIN(ShutdownTest)
#include "shutdown_test.moc"
