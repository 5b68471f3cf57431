#pragma once
// What the window tests share: a record of the boxes the main window shows, and small file
// helpers on a QTemporaryDir.

#include "Boxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QMessageBox>
#include <QString>
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

// A data file of N bytes: the KVD header line, then bytes that vary.
inline QByteArray DataFileBytes(int N) {
    QByteArray data(
        "\xEF\xBB\xBF"
        "Date/Time,Tag,Value\r\n");
    quint32 x = 12345;
    while (data.size() < N) {
        x = x * 1103515245u + 12345u;
        data.append(static_cast<char>(x >> 24));
    }
    data.truncate(N);
    return data;
}

// Runs Action once the given kind of modal window is the active modal widget, from inside
// the modal loop that the caller is about to enter.
template <class TWindow>
void WhenModal(std::function<void(TWindow&)> Action) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, Action] {
        if (auto* w = dynamic_cast<TWindow*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            Action(*w);
        }
    });
    timer->start();
}
