#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/resource.h"
#include "settings/Settings.h"
#include "text/Texts.h"

// The Options form's fields, in the dialog's order.
enum class OptionsField { Minutes, Users, Sound, Zalmo, InWindow, Notify, Remind, StartWithWindows, Language };

enum class FieldKind {
    Number,  // a text box that must hold a whole number, stored as a 32-bit integer
    Text,    // a text box stored as text
    Check,   // a check box: 0 unchecked, 1 checked, 2 greyed
    Choice,  // a drop-down list whose choice is stored as text
};

struct OptionsFieldRow {
    OptionsField field;
    FieldKind kind;
    const Setting* stored;  // its value under the program's key; null when kept elsewhere
    int control;            // the dialog's control
    Msg caption;            // a check box's caption; a text box's or the list's name in messages
};

// One row per field: loading, OK, the dialog's controls and its layout all
// follow this table. Check boxes are laid out one under the other in this order.
inline constexpr OptionsFieldRow kOptionsFields[] = {
    {OptionsField::Minutes, FieldKind::Number, &Settings::CheckInterval, IDC_MINUTES, Msg::OptionsFieldMinutes},
    {OptionsField::Users, FieldKind::Number, &Settings::Players, IDC_USERS, Msg::OptionsFieldUsers},
    {OptionsField::Sound, FieldKind::Text, &Settings::AlarmSound, IDC_SOUND, Msg::OptionsFieldSound},
    {OptionsField::Zalmo, FieldKind::Text, &Settings::ZalmoPath, IDC_ZALMO, Msg::OptionsFieldZalmo},
    {OptionsField::InWindow, FieldKind::Check, &Settings::InWindow, IDC_INWINDOW, Msg::OptionsInWindow},
    {OptionsField::Notify, FieldKind::Check, &Settings::Notify, IDC_NOTIFY, Msg::OptionsNotify},
    {OptionsField::Remind, FieldKind::Check, &Settings::Remind, IDC_REMIND, Msg::OptionsRemind},
    // Kept as the Run value of Windows' start-up programs (frmOptions handles it).
    {OptionsField::StartWithWindows, FieldKind::Check, nullptr, IDC_STARTUP, Msg::OptionsStartWithWindows},
    // A language's code ("de"); empty for Windows' language.
    {OptionsField::Language, FieldKind::Choice, &Settings::Language, IDC_LANGUAGE, Msg::OptionsFieldLanguage},
};
inline constexpr std::size_t kOptionsFieldCount = std::size(kOptionsFields);

constexpr std::size_t FieldIndex(OptionsField field) { return static_cast<std::size_t>(field); }
constexpr const OptionsFieldRow& FieldRow(OptionsField field) { return kOptionsFields[FieldIndex(field)]; }

// A field's caption as messages name it, in texts' language: without its access key's "&".
std::string FieldName(const OptionsFieldRow& row, const Texts& texts);

// The rows are indexed by their field.
static_assert([] {
    for (std::size_t i = 0; i < kOptionsFieldCount; ++i)
        if (FieldIndex(kOptionsFields[i].field) != i) return false;
    return true;
}());

// The current contents of the Options form's controls, by field.
struct OptionsControls {
    std::array<std::string, kOptionsFieldCount> texts;      // the text boxes and the list (empty for check boxes)
    std::array<std::int16_t, kOptionsFieldCount> checks{};  // the check boxes (0 for text boxes)
    // Under "Start Wendrel with Windows": whose start with Windows the box
    // leaves alone; empty when none.
    std::string startupNote;

    std::string& Text(OptionsField field) { return texts[FieldIndex(field)]; }
    const std::string& Text(OptionsField field) const { return texts[FieldIndex(field)]; }
    std::int16_t& Check(OptionsField field) { return checks[FieldIndex(field)]; }
    std::int16_t Check(OptionsField field) const { return checks[FieldIndex(field)]; }
};
