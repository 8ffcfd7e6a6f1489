#include "settings/frmOptions.h"

#include <limits>

#include "common/Convert.h"
#include "common/Text.h"
#include "settings/RunValue.h"
#include "settings/Settings.h"
#include "text/Languages.h"

namespace {
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

std::string FieldName(const OptionsFieldRow& row, const Texts& texts) {
    std::string name;
    for (const char c : texts(Message(row.caption)))
        if (c != '&') name += c;
    return name;
}

std::vector<LanguageChoice> LanguageChoices(const Texts& texts) {
    std::vector<LanguageChoice> choices{{"", texts(Message(Msg::OptionsWindowsLanguage))}};
    for (const Catalogue& language : OfferedLanguages()) {
        const std::string_view name = language.Text(Msg::LanguageName);
        choices.push_back({language.code, std::string(name.empty() ? language.code : name)});
    }
    return choices;
}

std::size_t LanguageChoiceIndex(const std::vector<LanguageChoice>& choices, const std::string& stored) {
    // The language the program speaks for stored: "de-AT" shows Deutsch.
    const Catalogue* spoken = stored.empty() ? nullptr : SpokenLanguage(stored);
    for (std::size_t i = 1; spoken && i < choices.size(); ++i)
        if (choices[i].code == spoken->code) return i;
    return 0;
}

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
    // Ticked only for this copy's start with Windows; another's is named, and kept unless ticked.
    const RunValue run = ReadRunValue(store_, startCommand_);
    controls_.Check(OptionsField::StartWithWindows) = run.owner == RunOwner::ThisCopy ? 1 : 0;
    controls_.startupNote.clear();
    if (run.owner == RunOwner::OtherCopy)
        controls_.startupNote = Say()(Message(Msg::OptionsOtherCopyStarts, CommandProgram(run.command)));
    if (run.owner == RunOwner::Unreadable) controls_.startupNote = Say()(Message(Msg::OptionsUnreadableStart));
    view_.ShowControls(controls_);
}

MonitorSettings frmOptions::ForMonitor(std::vector<std::string>* fallbacks) {
    const OptionsControls& controls = Loaded();
    const auto number = [&](OptionsField field) {
        const OptionsFieldRow& row = FieldRow(field);
        const std::string& text = controls.Text(field);
        if (const auto value = ToInt32(text)) return *value;
        if (fallbacks) {
            std::string line = FieldName(row, EnglishTexts());
            line += " holds " + Quoted(text, kLongestQuoted) + ", not a whole number; using ";
            fallbacks->push_back(line + row.stored->defaultText);
        }
        return *ToInt32(row.stored->defaultText);
    };
    return {number(OptionsField::Minutes), number(OptionsField::Users), controls.Text(OptionsField::Sound),
            controls.Check(OptionsField::Notify) != 0, controls.Check(OptionsField::Remind) != 0};
}

void frmOptions::Tell(const std::string& text) {
    msgBox_.Show(text, Say()(Message(Msg::OptionsTitle)), kMbIconExclamation);
}

// OK takes only a sign and digits; a stored "7.5" that start-up read as 8 is
// refused here too, so that what is saved is what the player typed.
bool frmOptions::CheckNumber(const OptionsFieldRow& row) {
    const std::string& text = controls_.Text(row.field);
    const TypedWhole typed = ParseTypedWhole(text);
    if (typed.kind == TypedWhole::Kind::Number) return true;
    using Limits = std::numeric_limits<std::int32_t>;
    const Msg says = typed.kind == TypedWhole::Kind::OutOfRange ? Msg::OptionsOutOfRange : Msg::OptionsNotANumber;
    Tell(Say()(Message(says, FieldName(row, Say()), Shortened(text, kLongestQuoted), Limits::min(), Limits::max())));
    view_.FocusField(row.field);
    return false;
}

bool frmOptions::CheckRunCommand() {
    if (controls_.Check(OptionsField::StartWithWindows) == 0 || startCommand_.size() <= kLongestRunCommand) return true;
    const auto characters = [](std::size_t n) {
        return Message(Msg::OptionsCharacters, Count{static_cast<std::int64_t>(n)});
    };
    Tell(Say()(Message(Msg::OptionsCommandTooLong, FieldName(FieldRow(OptionsField::StartWithWindows), Say()),
                       characters(startCommand_.size()), startCommand_, characters(kLongestRunCommand))));
    view_.FocusField(OptionsField::StartWithWindows);
    return false;
}

std::vector<std::string> frmOptions::SaveSettings() {
    std::vector<std::string> failures;
    const auto saved = [&](long status, const std::string& what) {
        if (status != 0)
            failures.push_back(Say()(Message(Msg::OptionsSaveFailedLine, what, store_.StatusText(status))));
        return status == 0;
    };
    if (saved(store_.EnsureKey(Settings::kKeyPath, kHKeyCurrentUser), Say()(Message(Msg::OptionsSettingsKey)))) {
        for (const OptionsFieldRow& row : kOptionsFields) {
            if (!row.stored) continue;
            SettingValue value;
            switch (row.kind) {
                case FieldKind::Number: value = ParseTypedWhole(controls_.Text(row.field)).value; break;
                case FieldKind::Text:
                case FieldKind::Choice: value = controls_.Text(row.field); break;
                case FieldKind::Check: value = std::int32_t{controls_.Check(row.field)}; break;
            }
            saved(store_.StoreSetting(Settings::kKeyPath, row.stored->name, value,
                                      static_cast<std::int32_t>(row.stored->type)),
                  FieldName(row, Say()));
        }
    }
    const std::string startup = FieldName(FieldRow(OptionsField::StartWithWindows), Say());
    // An unticked box removes only this copy's start with Windows, as it is now.
    if (controls_.Check(OptionsField::StartWithWindows) == 0) {
        if (ReadRunValue(store_, startCommand_).owner == RunOwner::ThisCopy)
            saved(store_.DeleteValue(Settings::kRunKeyPath, Settings::kRunValueName), startup);
    } else if (saved(store_.EnsureKey(Settings::kRunKeyPath, kHKeyCurrentUser), startup))
        saved(store_.StoreSetting(Settings::kRunKeyPath, Settings::kRunValueName, startCommand_, kRegSz), startup);
    return failures;
}

void frmOptions::cmdOK_Click() {
    // Everything is checked before anything is saved, so a bad entry
    // leaves the stored settings as they were.
    for (const OptionsFieldRow& row : kOptionsFields)
        if (row.kind == FieldKind::Number && !CheckNumber(row)) return;
    if (!CheckRunCommand()) return;

    const std::string language = controls_.Text(OptionsField::Language);
    const bool languageChanged =
        language != SettingText(store_.FetchSetting(Settings::kKeyPath, Settings::Language.name)).value_or("");
    const std::vector<std::string> failures = SaveSettings();
    // The running program takes the settings even when some could not be
    // stored; the dialog stays open to say which.
    if (monitor_) monitor_->ApplySettings(ForMonitor());
    if (languageChanged && languageSink_) languageSink_->UseLanguage(language);
    if (failures.empty()) return view_.Hide();
    std::string lines;
    for (const std::string& failure : failures) lines += "\r\n" + failure;
    Tell(Say()(Message(Msg::OptionsSaveFailed, lines)));
}

void frmOptions::cmdCancel_Click() { view_.Hide(); }

void frmOptions::PickInto(OptionsField field, Msg files, const char* pattern) {
    const std::string filter =
        Say()(Message(Msg::OptionsAllFiles)) + "|*.*|" + Say()(Message(files)) + "|" + std::string(pattern);
    if (auto chosen = view_.PickFile(controls_.Text(field), filter, 2)) {
        controls_.Text(field) = std::move(*chosen);
        view_.ShowControls(controls_);
    }
}

void frmOptions::btnAlarmDlg_Click() { PickInto(OptionsField::Sound, Msg::OptionsWaveFiles, "*.wav"); }

void frmOptions::btnZalmoDlg_Click() { PickInto(OptionsField::Zalmo, Msg::OptionsExecutables, "*.exe"); }

void frmOptions::btnTest_Click() {
    if (!monitor_) return;
    // The sound and the threshold as they are in the dialog, saved or not.
    const OptionsFieldRow& users = FieldRow(OptionsField::Users);
    const std::int32_t threshold =
        ToInt32(controls_.Text(OptionsField::Users)).value_or(*ToInt32(users.stored->defaultText));
    const std::vector<Message> findings = monitor_->TestAlarm(controls_.Text(OptionsField::Sound), threshold);
    if (findings.empty()) return;
    std::string text;
    for (const Message& finding : findings) text += (text.empty() ? "" : "\r\n\r\n") + Say()(finding);
    Tell(text);
}
