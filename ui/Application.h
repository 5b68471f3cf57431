#pragma once
// What the start-up sets on the application object before the windows are created.

class QApplication;

// Loads Qt's own translations for the user's language (the OK button, the file dialog) when
// they are installed, and sets the padlock as the icon of every window.
void InitializeApplication(QApplication& Application);
