#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/MsgBox.h"
#include "platform/OptionsView.h"
#include "settings/mdRegistry.h"
#include "text/Message.h"
#include "text/Texts.h"

// What the monitor takes from the Options form, at start-up and at OK.
struct MonitorSettings {
    std::int32_t minutes = 0;
    std::int32_t alarmOn = 0;
    std::string sound;
    bool notify = true;   // show a notification when the alarm goes on
    bool remind = false;  // and one before the lobby usually gets busy
};

class MonitorSettingsSink {
public:
    virtual ~MonitorSettingsSink() = default;
    virtual void ApplySettings(const MonitorSettings& settings) = 0;
    // Options' Test: the alarm's sound, notification and flashing, with the
    // sound and the threshold in the dialog; what the player should know
    // (the sound cannot be played, Windows held the notification back).
    virtual std::vector<Message> TestAlarm(const std::string& sound, std::int32_t threshold) = 0;
};

// Who switches the program's language when OK stores another choice.
class LanguageSink {
public:
    virtual ~LanguageSink() = default;
    // stored: the new "Language" value, a code or empty for Windows' language.
    virtual void UseLanguage(const std::string& stored) = 0;
};

// One entry of Options' language list: the stored code and what the list shows.
struct LanguageChoice {
    std::string code;  // empty for Windows' language
    std::string name;
};
// Windows' language first, then each offered language by its own name.
std::vector<LanguageChoice> LanguageChoices(const Texts& texts);
// The entry that shows stored: the language it speaks (SpokenLanguage), or
// Windows' language (0) for an empty or unknown code.
std::size_t LanguageChoiceIndex(const std::vector<LanguageChoice>& choices, const std::string& stored);

// The Options form: the dialog's logic and the program's in-memory holder of
// the settings. Reading a control while the form is not loaded loads it,
// hidden, which fills the controls from the store.
class frmOptions {
public:
    // startCommand: the command that starts this program again as it was
    // started, which "Start Wendrel with Windows" stores in the Run key.
    frmOptions(mdRegistry& store, OptionsView& view, MsgBox& msgBox, std::string startCommand = {});

    void SetMonitor(MonitorSettingsSink* monitor) { monitor_ = monitor; }
    // The language of its messages, and who switches it; English and nobody by default.
    void SetLanguage(const Texts* texts, LanguageSink* sink) {
        texts_ = texts;
        languageSink_ = sink;
    }
    const Texts& Say() const { return texts_ ? *texts_ : EnglishTexts(); }

    // The controls' current contents.
    const OptionsControls& Controls() { return Loaded(); }
    const std::string& txtMinutes() { return Loaded().Text(OptionsField::Minutes); }
    const std::string& txtUsers() { return Loaded().Text(OptionsField::Users); }
    const std::string& txtSound() { return Loaded().Text(OptionsField::Sound); }
    const std::string& txtZalmo() { return Loaded().Text(OptionsField::Zalmo); }
    std::int16_t ckInWindow() { return Loaded().Check(OptionsField::InWindow); }
    std::int16_t ckNotify() { return Loaded().Check(OptionsField::Notify); }
    std::int16_t ckStartWithWindows() { return Loaded().Check(OptionsField::StartWithWindows); }

    // The settings the monitor works with, from the controls' contents. A
    // number box that holds no whole number gives its default, and a line
    // in fallbacks says so (OK never lets such a box through).
    MonitorSettings ForMonitor(std::vector<std::string>* fallbacks = nullptr);

    // Edits made in the window.
    void EditText(OptionsField field, const std::string& text);
    void EditCheck(OptionsField field, std::int16_t value);

    bool IsLoaded() const { return loaded_; }
    void Load();    // loads the form hidden, if it is not loaded
    void Show();    // the Options command: loads if needed, shows modeless
    void Unload();  // closes the window; the entries go with it

    void Form_Load();
    void Form_Activate();
    void LoadSettings();
    void cmdOK_Click();
    void cmdCancel_Click();
    void btnAlarmDlg_Click();
    void btnZalmoDlg_Click();
    void btnTest_Click();

private:
    const OptionsControls& Loaded();
    void PickInto(OptionsField field, Msg files, const char* pattern);
    bool CheckNumber(const OptionsFieldRow& row);
    bool CheckRunCommand();
    void Tell(const std::string& text);  // a message box titled Options
    // Stores every setting; what could not be stored, each with the reason.
    std::vector<std::string> SaveSettings();

    mdRegistry& store_;
    OptionsView& view_;
    MsgBox& msgBox_;
    std::string startCommand_;
    MonitorSettingsSink* monitor_ = nullptr;
    const Texts* texts_ = nullptr;
    LanguageSink* languageSink_ = nullptr;
    bool loaded_ = false;
    OptionsControls controls_;
};
