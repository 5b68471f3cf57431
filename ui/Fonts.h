#pragma once
// The fonts of the two windows. Where a face is not installed, its metric twin from the
// Liberation fonts stands in: the font system's own nearest match can be far off (on a bare
// Debian it picks a monospaced face for Tahoma).

#include <QFont>

// Tahoma, 11 pixels: the font of both windows and all their controls but the About labels.
QFont WindowFont();
// Times New Roman, bold: the About window's labels.
QFont AboutLabelFont(int PixelSize);
