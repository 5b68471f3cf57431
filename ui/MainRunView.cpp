#include "MainRunView.h"

#include <QProgressBar>
#include <QRect>
#include <QStyle>
#include <QStyleOptionProgressBar>

#include <algorithm>

TMainRunView::TMainRunView(QProgressBar& Bar, const TBoxHook& MessageBoxHook)
    : fBar(Bar), fMessageBoxHook(MessageBoxHook) {
    fMax = fBar.maximum();
    fPosition = fBar.value();
}

void TMainRunView::ShowProgress() {
    fBar.setVisible(true);
    fDrawnPicture = kNotDrawn;
}

void TMainRunView::HideProgress() {
    fBar.setVisible(false);
}

void TMainRunView::SetProgressMax(std::int32_t Value) {
    fMax = Value;
    // A QProgressBar with minimum and maximum both 0 shows a busy animation; an empty input
    // must show an empty bar, which the range 0 to 1 at position 0 draws.
    fBar.setRange(0, std::max<std::int32_t>(Value, 1));
    fPosition = std::min(fPosition, Value);
    fBar.setValue(std::max<std::int32_t>(fPosition, 0));

    QStyleOptionProgressBar option;
    option.initFrom(&fBar);
    option.minimum = fBar.minimum();
    option.maximum = fBar.maximum();
    option.progress = fBar.value();
    option.textVisible = false;
    const QRect groove =
        fBar.style()->subElementRect(QStyle::SE_ProgressBarContents, &option, &fBar);
    fGrooveLeft = groove.left();
    fGrooveWidth = groove.width();
    fDrawnPicture = kNotDrawn;
}

std::int64_t TMainRunView::PictureOf(std::int32_t Position) const {
    if (Position <= 0 || fMax <= 0) {
        return -1;  // empty
    }
    if (Position >= fMax) {
        return fGrooveWidth + 1;  // complete: drawn without the chunk's edge
    }
    // Started: the style draws the chunk's edge even where it is still 0 pixels long.
    return static_cast<std::int64_t>(Position) * fGrooveWidth / fMax;
}

// Called once per 1000 bytes: a repaint costs far more than the cipher, so the bar is told of
// a position and repainted only when that changes its picture.
void TMainRunView::SetProgressPosition(std::int32_t Value) {
    fPosition = Value;
    const std::int64_t picture = PictureOf(Value);
    if (picture == fDrawnPicture) {
        return;
    }
    const std::int64_t before = fDrawnPicture;
    fDrawnPicture = picture;
    fBar.setValue(std::clamp<std::int32_t>(Value, 0, std::max<std::int32_t>(fMax, 1)));
    if (before >= 0 && picture >= 0 && picture <= fGrooveWidth) {
        // While the bar fills, only the strip around its moving edge changes: a tenth of the
        // cost of the whole bar.
        const std::int64_t from = fGrooveLeft + std::min(before, picture) - kEdgeMargin;
        const std::int64_t to = fGrooveLeft + std::max(before, picture) + kEdgeMargin;
        fBar.repaint(QRect(static_cast<int>(from), 0, static_cast<int>(to - from), fBar.height()));
    } else {
        fBar.repaint();
    }
}

void TMainRunView::ShowMessageBox(std::u16string_view Text) {
    ShowRunMessage(QString::fromUtf16(Text.data(), static_cast<qsizetype>(Text.size())),
                   fMessageBoxHook);
}
