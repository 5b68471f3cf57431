#include "Unit4.h"

#include "Fonts.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>

TForm4* Form4 = nullptr;

namespace {

// The maker's host and address: a reserved example domain that belongs to no one.
const QString kHost = QStringLiteral("ravdan.example");
const QString kMail = QStringLiteral("lab@ravdan.example");

QLabel* MakeLabel(QWidget* Parent, const QString& Text, QPoint TopLeft, int PixelSize,
                  const QColor& Color) {
    auto* label = new QLabel(Text, Parent);
    label->setFont(AboutLabelFont(PixelSize));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Color);
    label->setPalette(palette);
    label->setTextFormat(Qt::PlainText);
    label->move(TopLeft);
    label->adjustSize();
    return label;
}

}  // namespace

TForm4::TForm4(QWidget* Parent) : QDialog(Parent) {
    // A sizeable frame with the system menu, minimise and maximise buttons, as every window.
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setWindowTitle(QStringLiteral(u"О программе"));
    setFont(WindowFont());

    const QColor text = palette().color(QPalette::WindowText);
    const QColor blue(0, 0, 255);
    Label1 = MakeLabel(this, QStringLiteral("Ravdan"), {171, 8}, 16, text);
    Label6 = MakeLabel(this, kMail, {323, 123}, 13, blue);
    Label4 = MakeLabel(this, QStringLiteral(u"НТЛ \"Тивор\""), {23, 102}, 13, text);
    Label3 = MakeLabel(this, QStringLiteral(u"Июнь 2018 г."), {348, 102}, 13, text);
    Label5 = MakeLabel(this, kHost, {23, 123}, 13, blue);

    Label2 = MakeLabel(this,
                       QStringLiteral(u"Программа шифрования и дешифрования файлов данных с "
                                      u"результатами, зафиксированными тегами системы KVD, "
                                      u"которые были сформированы веб-сервисом KVD-WebUI."),
                       {23, 33}, 13, text);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setGeometry(23, 33, 394, 48);

    Button1 = new QPushButton(QStringLiteral(u"ОК"), this);
    Button1->setGeometry(186, 145, 75, 25);
    // Enter presses the focused button; it is the window's only control that takes focus.
    Button1->setAutoDefault(true);

    Label5->installEventFilter(this);
    Label6->installEventFilter(this);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    resize(447, 175);
    Button1->setFocus(Qt::OtherFocusReason);
}

QUrl TForm4::WebUrl() {
    return QUrl(QStringLiteral("http://") + kHost + u'/');
}

QUrl TForm4::MailUrl() {
    return QUrl(QStringLiteral("mailto:") + kMail);
}

// A failure to open is ignored: nothing is reported and the window stays open.
void TForm4::Label5Click() {
    QDesktopServices::openUrl(WebUrl());
}

void TForm4::Label6Click() {
    QDesktopServices::openUrl(MailUrl());
}

void TForm4::Button1Click() {
    Form4->close();
}

// A label is clicked when the left button is pressed and released over it.
bool TForm4::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::MouseButtonRelease && (Watched == Label5 || Watched == Label6)) {
        const auto* mouse = static_cast<QMouseEvent*>(Event);
        auto* label = static_cast<QWidget*>(Watched);
        if (mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint())) {
            if (Watched == Label5) {
                Label5Click();
            } else {
                Label6Click();
            }
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

// There is no cancel button, so Escape closes nothing (QDialog would reject on it).
void TForm4::keyPressEvent(QKeyEvent* Event) {
    if (Event->matches(QKeySequence::Cancel)) {
        Event->accept();
        return;
    }
    QDialog::keyPressEvent(Event);
}
