#pragma once

#include <optional>
#include <string>

#include "settings/OptionsFields.h"

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
