#pragma once

#include <cstdint>
#include <optional>
#include <string>

enum class OptionsField { Minutes, Users, Sound, Zalmo, InWindow, Notify, StartWithWindows };

// The current contents of the Options form's controls.
struct OptionsControls {
    std::string txtMinutes;
    std::string txtUsers;
    std::string txtSound;
    std::string txtZalmo;
    // Check boxes: 0 unchecked, 1 checked, 2 greyed.
    std::int16_t ckInWindow = 0;
    std::int16_t ckNotify = 0;
    std::int16_t ckStartWithWindows = 0;

    // The text box of field; null for a check box.
    std::string* Text(OptionsField field) {
        switch (field) {
            case OptionsField::Minutes: return &txtMinutes;
            case OptionsField::Users: return &txtUsers;
            case OptionsField::Sound: return &txtSound;
            case OptionsField::Zalmo: return &txtZalmo;
            default: return nullptr;
        }
    }
    const std::string* Text(OptionsField field) const { return const_cast<OptionsControls*>(this)->Text(field); }
    // The check box of field; null for a text box.
    std::int16_t* Check(OptionsField field) {
        switch (field) {
            case OptionsField::InWindow: return &ckInWindow;
            case OptionsField::Notify: return &ckNotify;
            case OptionsField::StartWithWindows: return &ckStartWithWindows;
            default: return nullptr;
        }
    }
    std::int16_t Check(OptionsField field) const { return *const_cast<OptionsControls*>(this)->Check(field); }
};

// The Options window as the settings core drives it. The view writes each
// edit back to the core as it happens and reports its buttons and
// activation to it.
class OptionsView {
public:
    virtual ~OptionsView() = default;
    virtual void Load() = 0;    // creates the window, hidden
    virtual void Unload() = 0;  // destroys it
    virtual void Show() = 0;    // shows it modeless and activates it
    virtual void Hide() = 0;
    virtual void ShowControls(const OptionsControls& controls) = 0;
    virtual void FocusField(OptionsField field) = 0;
    // The standard file-open dialog, owned by the Options window. filter is
    // "description|pattern|..." pairs; filterIndex is 1-based. Nothing on cancel.
    virtual std::optional<std::string> PickFile(const std::string& initialName, const std::string& filter,
                                                int filterIndex) = 0;
};
