#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/MsgBox.h"
#include "platform/OptionsView.h"

struct ShownMessage {
    std::string text, title;
    int style;
};

class FakeMsgBox : public MsgBox {
public:
    std::vector<ShownMessage> shown;
    void Show(const std::string& text, const std::string& title, int style) override {
        shown.push_back({text, title, style});
    }
};

// Records what the Options core asks of its window.
class FakeOptionsView : public OptionsView {
public:
    bool created = false, visible = false;
    int loads = 0;
    OptionsControls shown;
    std::optional<OptionsField> focused;
    std::deque<std::optional<std::string>> pickerAnswers;  // what the file dialog returns, in turn
    struct PickRequest {
        std::string initial, filter;
        int index;
    };
    std::vector<PickRequest> picks;

    void Load() override {
        created = true;
        ++loads;
    }
    void Unload() override { created = visible = false; }
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    void ShowControls(const OptionsControls& controls) override { shown = controls; }
    void FocusField(OptionsField field) override { focused = field; }
    std::optional<std::string> PickFile(const std::string& initial, const std::string& filter, int index) override {
        picks.push_back({initial, filter, index});
        if (pickerAnswers.empty()) return std::nullopt;
        auto answer = pickerAnswers.front();
        pickerAnswers.pop_front();
        return answer;
    }
};
