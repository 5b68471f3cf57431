#pragma once
// The main window's TRunView: the runs' progress on the window's bar, their messages in the
// message box.

#include "Boxes.h"
#include "runview.h"

#include <cstdint>

class QProgressBar;

class TMainRunView final : public TRunView {
  public:
    TMainRunView(QProgressBar& Bar, const TBoxHook& MessageBoxHook);

    void ShowProgress() override;
    void HideProgress() override;
    void SetProgressMax(std::int32_t Value) override;
    void SetProgressPosition(std::int32_t Value) override;
    void ShowMessageBox(std::u16string_view Text) override;

    // The exact values the runs set last; the bar itself is only told when its picture changes.
    std::int32_t ProgressMax() const { return fMax; }
    std::int32_t ProgressPosition() const { return fPosition; }

  private:
    // What the style draws for a position, as one number: empty, started with so many pixels
    // of the groove filled, or complete.
    std::int64_t PictureOf(std::int32_t Position) const;
    static constexpr std::int64_t kNotDrawn = -2;
    // How far the style's drawing of the filled part's edge reaches to either side: Fusion's
    // reaches 3 pixels, the rest is room for other styles.
    static constexpr std::int64_t kEdgeMargin = 8;

    QProgressBar& fBar;
    const TBoxHook& fMessageBoxHook;
    std::int32_t fMax = 100;
    std::int32_t fPosition = 0;
    std::int64_t fGrooveLeft = 0;
    std::int64_t fGrooveWidth = 0;
    // The picture last drawn; kNotDrawn when the next position must be drawn whatever it is.
    std::int64_t fDrawnPicture = kNotDrawn;
};
