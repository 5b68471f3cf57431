#pragma once
// A view that records every call a run makes on it, one line per call, as the headless driver
// prints them.

#include "runs.h"
#include "text.h"

#include <functional>
#include <string>
#include <vector>

class TRecordingView : public TRunView {
  public:
    std::vector<std::string> Calls;
    // Called inside ShowMessageBox, while the run still holds its files.
    std::function<void(std::u16string_view)> OnMessageBox;

    void ShowProgress() override { Calls.push_back("ShowProgress"); }
    void HideProgress() override { Calls.push_back("HideProgress"); }
    void SetProgressMax(std::int32_t Value) override {
        Calls.push_back("SetProgressMax " + std::to_string(Value));
    }
    void SetProgressPosition(std::int32_t Value) override {
        Calls.push_back("SetProgressPosition " + std::to_string(Value));
    }
    void ShowMessageBox(std::u16string_view Text) override {
        Calls.push_back("ShowMessageBox " + ToUtf8Lossy(Text));
        if (OnMessageBox) {
            OnMessageBox(Text);
        }
    }
};
