#pragma once
// The About window: the program's name and purpose, its maker, and two links.

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

class TForm4 : public QDialog {
  public:
    explicit TForm4(QWidget* Parent = nullptr);

    QLabel* Label1;
    QLabel* Label6;
    QLabel* Label4;
    QLabel* Label3;
    QLabel* Label5;
    QPushButton* Button1;
    QLabel* Label2;

    void Label5Click();
    void Label6Click();
    void Button1Click();

    // The addresses that the links hand to the desktop.
    static QUrl WebUrl();
    static QUrl MailUrl();

  protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
};

// The About window, created hidden by the start-up and living until the end.
extern TForm4* Form4;
