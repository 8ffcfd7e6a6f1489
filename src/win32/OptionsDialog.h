#pragma once

#include <windows.h>

#include <vector>

#include "platform/OptionsView.h"
#include "settings/OptionsLayout.h"
#include "settings/frmOptions.h"
#include "text/Texts.h"

// The Options window: a modeless dialog without an owner, laid out in twips
// scaled to its monitor's DPI, and again when it moves to another, with room
// for its captions in the language texts speaks. It shows the core's controls
// and reports every edit, button and activation back to it. Its captions
// follow a new language when it is shown next.
class OptionsDialog : public OptionsView {
public:
    explicit OptionsDialog(const Texts& texts = EnglishTexts()) : texts_(texts) {}

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
    // The captions in the language of texts_, and the layout that holds them.
    void Caption();
    OptionsLayout Measure() const;
    void LayOut(bool centre);
    void OnDpiChanged(int dpi, const RECT& suggested);

    const Texts& texts_;
    frmOptions* form_ = nullptr;
    HWND window_ = nullptr;
    bool filling_ = false;  // edits caused by ShowControls are not user edits
    int dpi_ = 96;
    const Catalogue* captioned_ = nullptr;   // the language of the captions
    std::vector<LanguageChoice> languages_;  // the language list's entries
};
