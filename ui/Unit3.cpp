#include "Unit3.h"

#include "Fonts.h"
#include "Unit4.h"
#include "runs.h"

#include <limits>

TForm3* Form3 = nullptr;

namespace {

QPushButton* MakeButton(QWidget* Parent, const QString& Text, const QRect& Geometry) {
    auto* button = new QPushButton(Text, Parent);
    button->setGeometry(Geometry);
    // A focused button is pressed with Enter too; outside a dialog Qt does that only for an
    // auto-default button. There is still no default button: none is pressed from elsewhere.
    button->setAutoDefault(true);
    return button;
}

QLabel* MakeLabel(QWidget* Parent, const QString& Text, QPoint TopLeft) {
    auto* label = new QLabel(Text, Parent);
    label->move(TopLeft);
    label->adjustSize();
    return label;
}

QLineEdit* MakeEdit(QWidget* Parent, const QRect& Geometry) {
    auto* edit = new QLineEdit(Parent);
    edit->setGeometry(Geometry);
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

}  // namespace

TForm3::TForm3(QWidget* Parent) : QWidget(Parent) {
    setWindowTitle(QStringLiteral("Ravdan"));
    setFont(WindowFont());

    // Fixed places from the top left corner and no layout: resizing moves nothing.
    Label1 = MakeLabel(this, QStringLiteral(u"Файл"), {16, 8});
    Label2 = MakeLabel(this, QStringLiteral(u"Проль"), {16, 54});
    Button1 = MakeButton(this, QStringLiteral(u"Шифровать"), {16, 99, 99, 30});
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(16, 142, 417, 14);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFocusPolicy(Qt::NoFocus);
    ProgressBar1->setVisible(false);
    Button2 = MakeButton(this, QStringLiteral(u"Расшифровать"), {334, 99, 99, 30});
    Edit1 = MakeEdit(this, {16, 27, 417, 21});
    Edit2 = MakeEdit(this, {16, 73, 417, 21});
    Button3 = MakeButton(this, QStringLiteral("..."), {439, 25, 36, 25});
    BitBtn1 = MakeButton(this, QStringLiteral(u"О программе"), {176, 102, 89, 25});

    OpenDialog1 = new QFileDialog(this, QStringLiteral(u"Выбор файла"));
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    // Any name comes back, an existing file or not; the run decides what to do with it.
    OpenDialog1->setFileMode(QFileDialog::AnyFile);
    OpenDialog1->setNameFilter(QStringLiteral("Ravdan (*.csv)"));
    OpenDialog1->setOption(QFileDialog::HideNameFilterDetails);

    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Edit1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Button3);
    setTabOrder(Button3, BitBtn1);
    Button1->setFocus(Qt::OtherFocusReason);

    resize(482, 169);

    fRunView = std::make_unique<TMainRunView>(*ProgressBar1, OnMessageBox);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
}

TForm3::~TForm3() = default;

void TForm3::Button1Click() {
    StartRun(EncryptRun);
}

void TForm3::Button2Click() {
    StartRun(DecryptRun);
}

void TForm3::StartRun(TRun Run) {
    RunHandler(
        [this, Run] {
            Run(Edit1->text().toStdU16String(), Edit2->text().toStdU16String(), *fRunView);
        },
        OnErrorBox);
}

void TForm3::Button3Click() {
    RunHandler(
        [this] {
            if (!fFileName.isEmpty()) {
                OpenDialog1->selectFile(fFileName);
            }
            if (OpenDialog1->exec() != QDialog::Accepted) {
                return;
            }
            const QStringList files = OpenDialog1->selectedFiles();
            if (!files.isEmpty()) {
                fFileName = files.first();
                Edit1->setText(fFileName);
            }
        },
        OnErrorBox);
}

void TForm3::BitBtn1Click() {
    RunHandler(
        [] {
            if (Form4 != nullptr) {
                Form4->exec();
            }
        },
        OnErrorBox);
}
