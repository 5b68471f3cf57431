#pragma once
// What the window tests share: a record of the boxes the main window shows, and small file
// helpers on a QTemporaryDir.

#include "Boxes.h"
#include "support/temp_dir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QMessageBox>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

// One box as it was when it was shown.
struct TSeenBox {
    QString Title;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    int ButtonCount = 0;
    bool OkOnly = false;
    QWidget* Parent = nullptr;
    Qt::WindowModality Modality = Qt::NonModal;
};

inline TSeenBox Describe(const QMessageBox& Box) {
    TSeenBox seen;
    seen.Title = Box.windowTitle();
    seen.Text = Box.text();
    seen.Icon = Box.icon();
    seen.ButtonCount = static_cast<int>(Box.buttons().size());
    seen.OkOnly = Box.standardButtons() == QMessageBox::Ok;
    seen.Parent = Box.parentWidget();
    seen.Modality = Box.windowModality();
    return seen;
}

// Records every box and closes it at once, after running the optional action while it is
// still open.
class TBoxLog {
  public:
    std::vector<TSeenBox> Boxes;
    std::function<void(QMessageBox&)> WhileOpen;

    TBoxHook Hook() {
        return [this](QMessageBox& Box) {
            Boxes.push_back(Describe(Box));
            if (WhileOpen) {
                auto action = std::exchange(WhileOpen, nullptr);
                action(Box);
            }
            Box.accept();
        };
    }
    QStringList Texts() const {
        QStringList texts;
        for (const auto& b : Boxes) {
            texts << b.Text;
        }
        return texts;
    }
};

inline void WriteBytes(const QString& Path, const QByteArray& Data) {
    QFile f(Path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(Data) != Data.size()) {
        qFatal("cannot write %s", qPrintable(Path));
    }
}

inline QByteArray ReadBytes(const QString& Path) {
    QFile f(Path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

// A data file of N bytes, as the core's tests make it.
inline QByteArray DataFileBytes(int N) {
    const TBytes data = DataFile(static_cast<std::size_t>(N));
    return QByteArray(reinterpret_cast<const char*>(data.data()),
                      static_cast<qsizetype>(data.size()));
}

// Runs Action once a modal window of the given kind is the active modal widget, from inside
// the modal loop that the caller enters next. Polls until then; stops when it goes out of
// scope, so that an action never outlives what it refers to.
template <class TWindow>
class TWhenModal {
  public:
    explicit TWhenModal(std::function<void(TWindow&)> Action) : fAction(std::move(Action)) {
        fTimer.setInterval(5);
        QObject::connect(&fTimer, &QTimer::timeout, [this] {
            if (auto* w = dynamic_cast<TWindow*>(QApplication::activeModalWidget())) {
                fTimer.stop();
                Ran = true;
                // Shown is not yet active: keys and focus follow the activation.
                if (QTest::qWaitForWindowActive(w)) {
                    fAction(*w);
                }
                // A failed check must not leave the modal loop waiting for ever.
                if (QTest::currentTestFailed() && w->isVisible()) {
                    w->close();
                }
            }
        });
        fTimer.start();
    }
    bool Ran = false;

  private:
    std::function<void(TWindow&)> fAction;
    QTimer fTimer;
};
