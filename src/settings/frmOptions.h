#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/MsgBox.h"
#include "platform/OptionsView.h"
#include "settings/mdRegistry.h"

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
};

// The Options form: the dialog's logic and the program's in-memory holder of
// the settings. Reading a control while the form is not loaded loads it,
// hidden, which fills the controls from the store.
class frmOptions {
public:
    // startCommand: the command that starts this program again as it was
    // started, which "Start Wendrel with Windows" stores in the Run key.
    frmOptions(mdRegistry& store, OptionsView& view, MsgBox& msgBox, std::string startCommand = {});

    void SetMonitor(MonitorSettingsSink* monitor) { monitor_ = monitor; }

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

private:
    const OptionsControls& Loaded();
    void PickInto(OptionsField field, const char* filter);
    bool CheckNumber(const OptionsFieldRow& row);
    bool CheckRunCommand();
    // Stores every setting; what could not be stored, each with the reason.
    std::vector<std::string> SaveSettings();

    mdRegistry& store_;
    OptionsView& view_;
    MsgBox& msgBox_;
    std::string startCommand_;
    MonitorSettingsSink* monitor_ = nullptr;
    bool loaded_ = false;
    OptionsControls controls_;
};
