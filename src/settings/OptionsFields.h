#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/resource.h"
#include "settings/Settings.h"

// The Options form's fields, in the dialog's order.
enum class OptionsField { Minutes, Users, Sound, Zalmo, InWindow, Notify, Remind, StartWithWindows };

enum class FieldKind {
    Number,  // a text box that must hold a whole number, stored as a 32-bit integer
    Text,    // a text box stored as text
    Check,   // a check box: 0 unchecked, 1 checked, 2 greyed
};

struct OptionsFieldRow {
    OptionsField field;
    FieldKind kind;
    const Setting* stored;  // its value under the program's key; null when kept elsewhere
    int control;            // the dialog's control
    const char* caption;    // a check box's caption; a text box's name in messages
};

// One row per field: loading, OK, the dialog's controls and its layout all
// follow this table. Check boxes are laid out one under the other in this order.
inline constexpr OptionsFieldRow kOptionsFields[] = {
    {OptionsField::Minutes, FieldKind::Number, &Settings::CheckInterval, IDC_MINUTES, "Check every (minutes)"},
    {OptionsField::Users, FieldKind::Number, &Settings::Players, IDC_USERS, "Players online"},
    {OptionsField::Sound, FieldKind::Text, &Settings::AlarmSound, IDC_SOUND, "Alarm Sound"},
    {OptionsField::Zalmo, FieldKind::Text, &Settings::ZalmoPath, IDC_ZALMO, "Quellan Directory"},
    {OptionsField::InWindow, FieldKind::Check, &Settings::InWindow, IDC_INWINDOW, "Launch Quellan in Window"},
    {OptionsField::Notify, FieldKind::Check, &Settings::Notify, IDC_NOTIFY, "Show a &notification"},
    {OptionsField::Remind, FieldKind::Check, &Settings::Remind, IDC_REMIND, "Tell me before it usually gets &busy"},
    // Kept as the Run value of Windows' start-up programs (frmOptions handles it).
    {OptionsField::StartWithWindows, FieldKind::Check, nullptr, IDC_STARTUP, "Start Wendrel with &Windows"},
};
inline constexpr std::size_t kOptionsFieldCount = std::size(kOptionsFields);

constexpr std::size_t FieldIndex(OptionsField field) { return static_cast<std::size_t>(field); }
constexpr const OptionsFieldRow& FieldRow(OptionsField field) { return kOptionsFields[FieldIndex(field)]; }

// A field's caption as messages name it: without its access key's "&".
inline std::string FieldName(const OptionsFieldRow& row) {
    std::string name;
    for (const char* c = row.caption; *c; ++c)
        if (*c != '&') name += *c;
    return name;
}

// The rows are indexed by their field.
static_assert([] {
    for (std::size_t i = 0; i < kOptionsFieldCount; ++i)
        if (FieldIndex(kOptionsFields[i].field) != i) return false;
    return true;
}());

// The current contents of the Options form's controls, by field.
struct OptionsControls {
    std::array<std::string, kOptionsFieldCount> texts;      // the text boxes (empty for check boxes)
    std::array<std::int16_t, kOptionsFieldCount> checks{};  // the check boxes (0 for text boxes)

    std::string& Text(OptionsField field) { return texts[FieldIndex(field)]; }
    const std::string& Text(OptionsField field) const { return texts[FieldIndex(field)]; }
    std::int16_t& Check(OptionsField field) { return checks[FieldIndex(field)]; }
    std::int16_t Check(OptionsField field) const { return checks[FieldIndex(field)]; }
};
