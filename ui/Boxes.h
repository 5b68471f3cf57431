#pragma once
// The two boxes of the main window: the runs' message box and the error box that stands in
// for the application's default exception dialog.

#include <QMessageBox>
#include <QString>

#include <functional>

class Exception;

// Called with a box right after it is shown, before the caller waits for it. The box may be
// closed from inside the hook (Box.accept()) or later, from a timer or another event.
using TBoxHook = std::function<void(QMessageBox& Box)>;

// The runs' box: caption "Внимание!", the text, one OK button, no icon, no owner window. It
// does not block the other windows: it waits in a local event loop, so a second run can start
// from the main window meanwhile. Returns when the box is closed or the application quits.
void ShowRunMessage(const QString& Text, const TBoxHook& Hook);

// The error box: stop icon, one OK button, owned by the active window and modal to the whole
// application, captioned with ApplicationTitle(). Focus returns where it was once it closes.
void ShowErrorBox(const QString& Text, const TBoxHook& Hook);

// The application's title, made from the executable's file name: the folder dropped, the name
// cut at its first full stop, every character after the first in lower case.
QString ApplicationTitle(const QString& ExecutableFileName);
// ApplicationTitle of the running executable.
QString ApplicationTitle();

// A message as the error box shows it: a full stop added when the last character's code is
// above that of the full stop.
QString WithFullStop(const QString& Message);
// The text the error box shows for an error: the innermost non-empty message of its chain of
// inner errors, else its own, with WithFullStop.
QString ErrorBoxText(const Exception& Error);

// Runs Body and shows whatever error leaves it in the error box; EAbort shows nothing. Nothing
// may leave a click handler into Qt's event loop.
void RunHandler(const std::function<void()>& Body, const TBoxHook& ErrorBoxHook);
