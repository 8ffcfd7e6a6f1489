#pragma once

#include <windows.h>

#include "common/Names.h"
#include "platform/MainView.h"
#include "win32/Handles.h"
#include "win32/Window.h"

class frmWendrel;

// How much the main window grows beyond its English design for longer
// texts, in twips: wider for the buttons' captions, the frame's title or
// the list's headings; taller for a status line of more lines.
struct MainGrowth {
    int wider = 0, taller = 0;
    bool operator==(const MainGrowth&) const = default;
};

// The hidden top-level window that owns the tray icon: it receives the tray
// callbacks, Explorer's "TaskbarCreated" broadcast, the request of a second
// start to show the status window, and the desktop's notices (sleep and
// wake, the clock, settings, a new network address).
class TrayHostWindow : public Window<TrayHostWindow> {
public:
    static constexpr const wchar_t* kClassName = L"" WENDREL_TRAY_CLASS;
    static constexpr const wchar_t* kShowStatusMessage = L"Orvane.Wendrel.ShowStatus";
    static constexpr UINT kNetworkChangedMessage = WM_APP + 1;  // posted by the NetworkWatcher

    bool Create(frmWendrel& form);
    void Destroy();

    // The tray icon's pictures, at the small-icon size of the host's DPI.
    HICON Icon(TrayIconKind kind);
    void UnloadHighIcon() { highIcon_.reset(); }

private:
    friend class Window<TrayHostWindow>;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnDesktopNotice(UINT message, WPARAM wParam, LPARAM lParam);

    frmWendrel* form_ = nullptr;
    UINT taskbarCreated_ = 0;
    UINT showStatus_ = 0;
    int dpi_ = 96;
    UniqueIcon normalIcon_, highIcon_;
};

// The main window "Wendrel V<version>": the server list, the status line, the
// buttons, the timer and the tray menu.
class MainWindow : public Window<MainWindow>, public MainView {
public:
    static constexpr const wchar_t* kClassName = L"WendrelMain";
    static constexpr UINT_PTR kTimerId = 1;

    bool Create(frmWendrel& form);

    void ShowNormal() override;
    void ShowWindow() override;
    void HideWindow() override;
    void HideFromTaskList() override;
    void SetTimerEnabled(bool enabled) override;
    void SetRescanEnabled(bool enabled) override;
    void ClearRows() override;
    void AddRow(const std::string& name, std::int32_t players) override;
    void SetStatusLine(const std::string& text) override;
    void Retranslate() override;
    MenuCommand ShowPopupMenu() override;
    std::uintptr_t TrayWindowHandle() override;
    std::uintptr_t IconHandle(TrayIconKind kind) override;
    void UnloadHighIcon() override;
    void Destroy() override;
    void EndProgram() override;

private:
    friend class Window<MainWindow>;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    // The captions and the list's column headings in the form's language.
    void Caption();
    void NameColumns();
    // What the texts shown need at dpi_.
    MainGrowth Measure() const;
    // A column's width in pixels: its design's, or its heading's if wider.
    int ColumnWidth(int column) const;
    // Places the controls and the list's columns at dpi_, grown as the texts need.
    void LayOut();
    // Lays out again and sizes the window to hold it.
    void Fit();
    // The window's icons at dpi_.
    void LoadIcons();
    // The client area's size for the layout.
    SIZE ClientSize() const;

    frmWendrel* form_ = nullptr;
    TrayHostWindow trayHost_;
    HWND list_ = nullptr;
    int dpi_ = 96;
    MainGrowth grow_;          // as laid out
    bool statusSaid_ = false;  // the form has said something in the status line
    UniqueIcon smallIcon_, bigIcon_;
};
