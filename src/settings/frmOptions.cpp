#include "settings/frmOptions.h"

#include "common/Convert.h"
#include "settings/Settings.h"

namespace {
constexpr const char* kSoundFilter = "All Files (*.*)|*.*|Wave Files (*.wav)|*.wav";
constexpr const char* kZalmoFilter = "All Files (*.*)|*.*|Executables (*.exe)|*.exe";

// Check box state for a stored value: only 0, 1 and 2 can be shown.
std::optional<std::int16_t> CheckState(const SettingValue& value) {
    std::optional<std::int32_t> number;
    if (const auto* n = std::get_if<std::int32_t>(&value)) number = *n;
    if (const auto* text = std::get_if<std::string>(&value)) number = ToInt32(*text);
    if (!number || *number < 0 || *number > 2) return std::nullopt;
    return static_cast<std::int16_t>(*number);
}

// Long entries are shortened in messages so the box stays readable.
std::string Quoted(const std::string& text) {
    constexpr std::size_t kMax = 40;
    return "\"" + (text.size() > kMax ? text.substr(0, kMax) + "..." : text) + "\"";
}
}  // namespace

frmOptions::frmOptions(mdRegistry& store, OptionsView& view, MsgBox& msgBox, std::string startCommand)
    : store_(store), view_(view), msgBox_(msgBox), startCommand_(std::move(startCommand)) {}

const OptionsControls& frmOptions::Loaded() {
    Load();
    return controls_;
}

void frmOptions::EditText(OptionsField field, const std::string& text) {
    if (std::string* box = controls_.Text(field)) *box = text;
}

void frmOptions::EditCheck(OptionsField field, std::int16_t value) {
    if (std::int16_t* box = controls_.Check(field)) *box = value;
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
    const auto fetch = [this](const Setting& setting) { return store_.FetchSetting(Settings::kKeyPath, setting.name); };
    const auto fill = [&](const Setting& setting, std::string& box) {
        box = SettingText(fetch(setting)).value_or(setting.defaultText);
    };
    fill(Settings::CheckInterval, controls_.txtMinutes);
    fill(Settings::Players, controls_.txtUsers);
    fill(Settings::AlarmSound, controls_.txtSound);
    fill(Settings::ZalmoPath, controls_.txtZalmo);
    const auto check = [&](const Setting& setting, std::int16_t& box) {
        box = CheckState(fetch(setting)).value_or(static_cast<std::int16_t>(*ToInt32(setting.defaultText)));
    };
    check(Settings::InWindow, controls_.ckInWindow);
    check(Settings::Notify, controls_.ckNotify);
    controls_.ckStartWithWindows = store_.HasValue(Settings::kRunKeyPath, Settings::kRunValueName) ? 1 : 0;
    view_.ShowControls(controls_);
}

bool frmOptions::CheckNumber(const std::string& text, OptionsField field, const char* what) {
    if (ToInt32(text)) return true;
    msgBox_.Show(std::string(what) + ": " + Quoted(text) +
                     " is not a whole number.\r\n\r\nEnter a whole number from -2147483648 to 2147483647.",
                 "Options", kMbIconExclamation);
    view_.FocusField(field);
    return false;
}

void frmOptions::cmdOK_Click() {
    // Both numbers are checked before anything is saved, so a bad entry
    // leaves the stored settings as they were.
    if (!CheckNumber(controls_.txtMinutes, OptionsField::Minutes, "Check every (minutes)")) return;
    if (!CheckNumber(controls_.txtUsers, OptionsField::Users, "Players online")) return;
    const std::int32_t minutes = *ToInt32(controls_.txtMinutes);
    const std::int32_t users = *ToInt32(controls_.txtUsers);

    const auto store = [this](const Setting& setting, const SettingValue& value) {
        store_.StoreSetting(Settings::kKeyPath, setting.name, value, static_cast<std::int32_t>(setting.type));
    };
    store_.EnsureKey(Settings::kKeyPath, kHKeyCurrentUser);
    store(Settings::CheckInterval, minutes);
    store(Settings::Players, users);
    store(Settings::AlarmSound, controls_.txtSound);
    store(Settings::ZalmoPath, controls_.txtZalmo);
    store(Settings::InWindow, std::int32_t{controls_.ckInWindow});
    store(Settings::Notify, std::int32_t{controls_.ckNotify});
    if (controls_.ckStartWithWindows != 0) {
        store_.EnsureKey(Settings::kRunKeyPath, kHKeyCurrentUser);
        store_.StoreSetting(Settings::kRunKeyPath, Settings::kRunValueName, startCommand_, kRegSz);
    } else {
        store_.DeleteValue(Settings::kRunKeyPath, Settings::kRunValueName);
    }
    if (monitor_) monitor_->ApplySettings({minutes, users, controls_.txtSound, controls_.ckNotify != 0});
    view_.Hide();
}

void frmOptions::cmdCancel_Click() { view_.Hide(); }

void frmOptions::PickInto(std::string& box, const char* filter) {
    if (auto chosen = view_.PickFile(box, filter, 2)) {
        box = std::move(*chosen);
        view_.ShowControls(controls_);
    }
}

void frmOptions::btnAlarmDlg_Click() { PickInto(controls_.txtSound, kSoundFilter); }

void frmOptions::btnZalmoDlg_Click() { PickInto(controls_.txtZalmo, kZalmoFilter); }
