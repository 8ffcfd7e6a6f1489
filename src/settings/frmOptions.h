#pragma once

#include <cstdint>
#include <string>

#include "platform/MsgBox.h"
#include "platform/OptionsView.h"
#include "settings/mdRegistry.h"

// What OK hands to the monitor: interval, threshold and alarm sound.
class MonitorSettingsSink {
public:
    virtual ~MonitorSettingsSink() = default;
    virtual void ApplySettings(std::int32_t minutes, std::int32_t alarmOn, const std::string& sound) = 0;
};

// The Options form: the dialog's logic and the program's in-memory holder of
// the five settings. Reading a control while the form is not loaded loads
// it, hidden, which fills the controls from the store.
class frmOptions {
public:
    frmOptions(mdRegistry& store, OptionsView& view, MsgBox& msgBox);

    void SetMonitor(MonitorSettingsSink* monitor) { monitor_ = monitor; }

    // The controls' current contents.
    const std::string& txtMinutes() { return Loaded().txtMinutes; }
    const std::string& txtUsers() { return Loaded().txtUsers; }
    const std::string& txtSound() { return Loaded().txtSound; }
    const std::string& txtZalmo() { return Loaded().txtZalmo; }
    std::int16_t ckInWindow() { return Loaded().ckInWindow; }

    // Edits made in the window.
    void EditText(OptionsField field, const std::string& text);
    void EditInWindow(std::int16_t value);

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
    void PickInto(std::string& box, const char* filter);
    bool CheckNumber(const std::string& text, OptionsField field, const char* what);

    mdRegistry& store_;
    OptionsView& view_;
    MsgBox& msgBox_;
    MonitorSettingsSink* monitor_ = nullptr;
    bool loaded_ = false;
    OptionsControls controls_;
};
