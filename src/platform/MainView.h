#pragma once

#include <cstdint>
#include <string>

enum class TrayIconKind { Normal, High };

enum class MenuCommand { None, Launch, Status, Options, About, Quit };

// The main window, its tray host, its timer and its pop-up menu, as the
// monitor drives them.
class MainView {
public:
    virtual ~MainView() = default;
    virtual void ShowNormal() = 0;  // restores the normal window state, then shows
    virtual void ShowWindow() = 0;  // shows, window state unchanged
    virtual void HideWindow() = 0;
    virtual void HideFromTaskList() = 0;
    virtual void SetTimerEnabled(bool enabled) = 0;
    virtual void SetRescanEnabled(bool enabled) = 0;
    virtual void ClearRows() = 0;
    virtual void AddRow(const std::string& name, std::int32_t players) = 0;
    virtual void SetStatusLine(const std::string& text) = 0;
    // The language changed: the window's caption, buttons and columns again.
    virtual void Retranslate() = 0;
    // Opens the tray menu at the mouse and returns the item chosen, if any.
    virtual MenuCommand ShowPopupMenu() = 0;
    // The window that receives the tray callbacks, and the icons' handles.
    virtual std::uintptr_t TrayWindowHandle() = 0;
    virtual std::uintptr_t IconHandle(TrayIconKind kind) = 0;
    virtual void UnloadHighIcon() = 0;
    virtual void Destroy() = 0;     // the main form unloads: its windows go
    virtual void EndProgram() = 0;  // ends the process at once
};
