#include "Boxes.h"

#include "errors.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

#include <exception>
#include <new>

namespace {

// Shows the box, hands it to the hook and waits in a local loop until it is closed. The loop
// also ends when the application quits (QCoreApplication::exit ends every running loop, and a
// loop started after it returns at once), so nested runs unwind when the main window closes.
void ShowAndWait(QMessageBox& Box, const TBoxHook& Hook) {
    QEventLoop loop;
    bool closed = false;
    QObject::connect(&Box, &QDialog::finished, &loop, [&] {
        closed = true;
        loop.quit();
    });
    // A system box's button carries no picture.
    if (QAbstractButton* ok = Box.button(QMessageBox::Ok)) {
        ok->setIcon(QIcon());
    }
    Box.show();
    if (Hook) {
        Hook(Box);
    }
    if (!closed) {
        loop.exec(QEventLoop::DialogExec);
    }
    Box.hide();
}

}  // namespace

void ShowRunMessage(const QString& Text, const TBoxHook& Hook) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral(u"Внимание!"), Text, QMessageBox::Ok);
    box.setWindowModality(Qt::NonModal);
    // An open box must not keep the program alive once the main window is closed.
    box.setAttribute(Qt::WA_QuitOnClose, false);
    ShowAndWait(box, Hook);
}

void ShowErrorBox(const QString& Text, const TBoxHook& Hook) {
    if (QWidget* grabber = QWidget::mouseGrabber()) {
        grabber->releaseMouse();
    }
    const QPointer<QWidget> focus = QApplication::focusWidget();
    const QPointer<QWidget> active = QApplication::activeWindow();
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), Text, QMessageBox::Ok,
                    active.data());
    box.setWindowModality(Qt::ApplicationModal);
    ShowAndWait(box, Hook);
    if (active) {
        active->activateWindow();
    }
    if (focus) {
        focus->setFocus(Qt::OtherFocusReason);
    }
}

QString ApplicationTitle(const QString& ExecutableFileName) {
    QString title = QFileInfo(ExecutableFileName).fileName();
    const qsizetype dot = title.indexOf(u'.');
    if (dot >= 0) {
        title.truncate(dot);
    }
    if (title.size() > 1) {
        title = title.left(1) + title.mid(1).toLower();
    }
    return title;
}

QString ApplicationTitle() {
    return ApplicationTitle(QCoreApplication::applicationFilePath());
}

QString WithFullStop(const QString& Message) {
    if (!Message.isEmpty() && Message.back().unicode() > u'.') {
        return Message + u'.';
    }
    return Message;
}

QString ErrorBoxText(const Exception& Error) {
    const Exception* innermost = &Error;
    while (innermost->InnerException) {
        innermost = innermost->InnerException.get();
    }
    const std::u16string& message =
        innermost->Message().empty() ? Error.Message() : innermost->Message();
    return WithFullStop(QString::fromStdU16String(message));
}

void RunHandler(const std::function<void()>& Body, const TBoxHook& ErrorBoxHook) {
    try {
        Body();
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        ShowErrorBox(ErrorBoxText(e), ErrorBoxHook);
    } catch (const std::bad_alloc&) {
        ShowErrorBox(ErrorBoxText(OutOfMemoryError()), ErrorBoxHook);
    } catch (const std::exception& e) {
        ShowErrorBox(WithFullStop(QString::fromUtf8(e.what())), ErrorBoxHook);
    } catch (...) {
        ShowErrorBox(QStringLiteral("Unknown error."), ErrorBoxHook);
    }
}
