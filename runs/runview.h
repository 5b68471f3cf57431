#pragma once

#include <cstdint>
#include <string_view>

// What a run needs from its window: the progress bar and the message box.
class TRunView {
  public:
    virtual ~TRunView() = default;

    virtual void ShowProgress() = 0;
    virtual void HideProgress() = 0;
    virtual void SetProgressMax(std::int32_t Value) = 0;
    // Leaves the bar showing Value when it returns.
    virtual void SetProgressPosition(std::int32_t Value) = 0;
    // Returns when the user has closed the box.
    virtual void ShowMessageBox(std::u16string_view Text) = 0;
};
