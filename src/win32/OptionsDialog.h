#pragma once

#include <windows.h>

#include "platform/OptionsView.h"

class frmOptions;

// The Options window: a modeless dialog without an owner, laid out in twips
// scaled to its monitor's DPI, and again when it moves to another. It shows the core's controls and reports
// every edit, button and activation back to it.
class OptionsDialog : public OptionsView {
public:
    void Attach(frmOptions& form) { form_ = &form; }
    HWND Window() const { return window_; }

    void Load() override;
    void Unload() override;
    void Show() override;
    void Hide() override;
    void ShowControls(const OptionsControls& controls) override;
    void FocusField(OptionsField field) override;
    std::optional<std::string> PickFile(const std::string& initialName, const std::string& filter,
                                        int filterIndex) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code);
    void CreateControls();
    void OnDpiChanged(int dpi, const RECT& suggested);

    frmOptions* form_ = nullptr;
    HWND window_ = nullptr;
    bool filling_ = false;  // edits caused by ShowControls are not user edits
    int dpi_ = 96;
};
