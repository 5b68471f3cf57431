#pragma once
// The main window: the path and password boxes, the two run buttons, the file button, the
// About button and the progress bar. Everything happens in its click handlers.
//
// Driving a whole run from code (tests, benchmarks), with no dialog to click:
//
//     Form3->show();
//     QTest::qWaitForWindowExposed(Form3);  // else the bar has nothing to paint on
//     Form3->Edit1->setText(path);
//     Form3->Edit2->setText(password);
//     Form3->OnMessageBox = [](QMessageBox& Box) { Box.accept(); };
//     Form3->Button1->click();  // returns when the run has ended
//
// OnMessageBox sees every box of the runs right after it is shown, while a closing box's run
// still holds both files; OnErrorBox sees every error box the same way. Either may close its
// box at once or leave it open (a timer or a nested click can close it later); without a hook
// a box waits for the user. RunView() gives the exact progress values the runs set last.

#include "Boxes.h"
#include "MainRunView.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include <memory>

class TForm3 : public QWidget {
  public:
    explicit TForm3(QWidget* Parent = nullptr);
    ~TForm3() override;

    QLabel* Label1;
    QLabel* Label2;
    QPushButton* Button1;
    QProgressBar* ProgressBar1;
    QPushButton* Button2;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QPushButton* Button3;
    QPushButton* BitBtn1;
    QFileDialog* OpenDialog1;

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void BitBtn1Click();

    TBoxHook OnMessageBox;
    TBoxHook OnErrorBox;
    TMainRunView& RunView() { return *fRunView; }

  private:
    using TRun = void (*)(std::u16string_view, std::u16string_view, TRunView&);
    // Either run on the two boxes, its errors in the error box.
    void StartRun(TRun Run);

    std::unique_ptr<TMainRunView> fRunView;
    // The dialog's last confirmed file, offered again the next time it opens.
    QString fFileName;
};

// The main window, created by the start-up and living until the end.
extern TForm3* Form3;
