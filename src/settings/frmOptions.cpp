#include "settings/frmOptions.h"

#include "common/Convert.h"
#include "common/Text.h"
#include "settings/Settings.h"

namespace {
constexpr const char* kSoundFilter = "All Files (*.*)|*.*|Wave Files (*.wav)|*.wav";
constexpr const char* kZalmoFilter = "All Files (*.*)|*.*|Executables (*.exe)|*.exe";
// Windows documents 260 characters as the most a command under the Run key may have.
constexpr std::size_t kLongestRunCommand = 260;

// Check box state for a stored value: only 0, 1 and 2 can be shown.
std::optional<std::int16_t> CheckState(const SettingValue& value) {
    std::optional<std::int32_t> number;
    if (const auto* n = std::get_if<std::int32_t>(&value)) number = *n;
    if (const auto* text = std::get_if<std::string>(&value)) number = ToInt32(*text);
    if (!number || *number < 0 || *number > 2) return std::nullopt;
    return static_cast<std::int16_t>(*number);
}
// Long entries are shortened in messages so the box stays readable.
constexpr std::size_t kLongestQuoted = 40;
}  // namespace

frmOptions::frmOptions(mdRegistry& store, OptionsView& view, MsgBox& msgBox, std::string startCommand)
    : store_(store), view_(view), msgBox_(msgBox), startCommand_(std::move(startCommand)) {}

const OptionsControls& frmOptions::Loaded() {
    Load();
    return controls_;
}

void frmOptions::EditText(OptionsField field, const std::string& text) {
    if (FieldRow(field).kind != FieldKind::Check) controls_.Text(field) = text;
}

void frmOptions::EditCheck(OptionsField field, std::int16_t value) {
    if (FieldRow(field).kind == FieldKind::Check) controls_.Check(field) = value;
}

void frmOptions::Load() {
    if (loaded_) return;
    loaded_ = true;
    view_.Load();
    Form_Load();
}

void frmOptions::Show() {
    Load();
    view_.Show();
}

void frmOptions::Unload() {
    if (!loaded_) return;
    loaded_ = false;
    view_.Unload();
    controls_ = OptionsControls{};
}

void frmOptions::Form_Load() { LoadSettings(); }

void frmOptions::Form_Activate() { LoadSettings(); }

void frmOptions::LoadSettings() {
    for (const OptionsFieldRow& row : kOptionsFields) {
        if (!row.stored) continue;
        const SettingValue value = store_.FetchSetting(Settings::kKeyPath, row.stored->name);
        if (row.kind == FieldKind::Check)
            controls_.Check(row.field) =
                CheckState(value).value_or(static_cast<std::int16_t>(*ToInt32(row.stored->defaultText)));
        else
            controls_.Text(row.field) = SettingText(value).value_or(row.stored->defaultText);
    }
    controls_.Check(OptionsField::StartWithWindows) =
        store_.HasValue(Settings::kRunKeyPath, Settings::kRunValueName) ? 1 : 0;
    view_.ShowControls(controls_);
}

MonitorSettings frmOptions::ForMonitor(std::vector<std::string>* fallbacks) {
    const OptionsControls& controls = Loaded();
    const auto number = [&](OptionsField field) {
        const OptionsFieldRow& row = FieldRow(field);
        const std::string& text = controls.Text(field);
        if (const auto value = ToInt32(text)) return *value;
        if (fallbacks) {
            std::string line = FieldName(row);
            line += " holds " + Quoted(text, kLongestQuoted) + ", not a whole number; using ";
            fallbacks->push_back(line + row.stored->defaultText);
        }
        return *ToInt32(row.stored->defaultText);
    };
    return {number(OptionsField::Minutes), number(OptionsField::Users), controls.Text(OptionsField::Sound),
            controls.Check(OptionsField::Notify) != 0, controls.Check(OptionsField::Remind) != 0};
}

bool frmOptions::CheckNumber(const OptionsFieldRow& row) {
    const std::string& text = controls_.Text(row.field);
    if (ToInt32(text)) return true;
    msgBox_.Show(FieldName(row) + ": " + Quoted(text, kLongestQuoted) +
                     " is not a whole number.\r\n\r\nEnter a whole number from -2147483648 to 2147483647.",
                 "Options", kMbIconExclamation);
    view_.FocusField(row.field);
    return false;
}

bool frmOptions::CheckRunCommand() {
    if (controls_.Check(OptionsField::StartWithWindows) == 0 || startCommand_.size() <= kLongestRunCommand) return true;
    msgBox_.Show(FieldName(FieldRow(OptionsField::StartWithWindows)) + ": the command that starts Wendrel is " +
                     std::to_string(startCommand_.size()) + " characters long:\r\n\r\n" + startCommand_ +
                     "\r\n\r\nWindows starts programs with Windows only from commands of up to " +
                     std::to_string(kLongestRunCommand) +
                     " characters. Move Wendrel to a folder with a shorter path, or start it with shorter options.",
                 "Options", kMbIconExclamation);
    view_.FocusField(OptionsField::StartWithWindows);
    return false;
}

std::vector<std::string> frmOptions::SaveSettings() {
    std::vector<std::string> failures;
    const auto saved = [&](long status, const std::string& what) {
        if (status != 0) failures.push_back(what + ": " + store_.StatusText(status));
        return status == 0;
    };
    if (saved(store_.EnsureKey(Settings::kKeyPath, kHKeyCurrentUser), "the settings' registry key")) {
        for (const OptionsFieldRow& row : kOptionsFields) {
            if (!row.stored) continue;
            SettingValue value;
            switch (row.kind) {
                case FieldKind::Number: value = *ToInt32(controls_.Text(row.field)); break;
                case FieldKind::Text: value = controls_.Text(row.field); break;
                case FieldKind::Check: value = std::int32_t{controls_.Check(row.field)}; break;
            }
            saved(store_.StoreSetting(Settings::kKeyPath, row.stored->name, value,
                                      static_cast<std::int32_t>(row.stored->type)),
                  FieldName(row));
        }
    }
    const std::string startup = FieldName(FieldRow(OptionsField::StartWithWindows));
    if (controls_.Check(OptionsField::StartWithWindows) == 0)
        saved(store_.DeleteValue(Settings::kRunKeyPath, Settings::kRunValueName), startup);
    else if (saved(store_.EnsureKey(Settings::kRunKeyPath, kHKeyCurrentUser), startup))
        saved(store_.StoreSetting(Settings::kRunKeyPath, Settings::kRunValueName, startCommand_, kRegSz), startup);
    return failures;
}

void frmOptions::cmdOK_Click() {
    // Everything is checked before anything is saved, so a bad entry
    // leaves the stored settings as they were.
    for (const OptionsFieldRow& row : kOptionsFields)
        if (row.kind == FieldKind::Number && !CheckNumber(row)) return;
    if (!CheckRunCommand()) return;

    const std::vector<std::string> failures = SaveSettings();
    // The running program takes the settings even when some could not be
    // stored; the dialog stays open to say which.
    if (monitor_) monitor_->ApplySettings(ForMonitor());
    if (failures.empty()) return view_.Hide();
    std::string text = "Wendrel could not save these settings:\r\n";
    for (const std::string& failure : failures) text += "\r\n" + failure;
    text += "\r\n\r\nThe others were saved. Wendrel uses all of them until it ends. Press OK to try again.";
    msgBox_.Show(text, "Options", kMbIconExclamation);
}

void frmOptions::cmdCancel_Click() { view_.Hide(); }

void frmOptions::PickInto(OptionsField field, const char* filter) {
    if (auto chosen = view_.PickFile(controls_.Text(field), filter, 2)) {
        controls_.Text(field) = std::move(*chosen);
        view_.ShowControls(controls_);
    }
}

void frmOptions::btnAlarmDlg_Click() { PickInto(OptionsField::Sound, kSoundFilter); }

void frmOptions::btnZalmoDlg_Click() { PickInto(OptionsField::Zalmo, kZalmoFilter); }
