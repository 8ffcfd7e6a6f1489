#include "win32/MainWindow.h"

#include <commctrl.h>

#include "monitor/frmWendrel.h"
#include "platform/resource.h"
#include "win32/ActiveForm.h"
#include "win32/Controls.h"
#include "win32/MessagePump.h"

namespace {

// Layout in twips (15 per pixel at 96 dpi).
constexpr int kClientWidth = 5775, kClientHeight = 3390;
constexpr Twips kFrame{120, 60, 5535, 2355};
constexpr Twips kList{240, 300, 5295, 1545};
constexpr Twips kStatusLine{240, 1905, 5295, 390};  // two lines: a failure's reason can be long
constexpr int kButtonTop = 2535, kButtonWidth = 1305, kButtonHeight = 375, kButtonGap = 105;
constexpr Twips kHide{(kClientWidth - kButtonWidth) / 2, 2985, kButtonWidth, 285};
constexpr Twips kHistory{kHide.left + kButtonWidth + kButtonGap, kHide.top, kButtonWidth, kHide.height};
constexpr int kServerColumn = 2400, kPlayersColumn = 1440;

// The row of four buttons of equal size under the frame.
constexpr Twips ButtonInRow(int index) {
    return {kFrame.left + index * (kButtonWidth + kButtonGap), kButtonTop, kButtonWidth, kButtonHeight};
}

constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
const ControlPiece kPieces[] = {
    {IDC_FRAME, "BUTTON", "Current Server Status", BS_GROUPBOX, 0, kFrame},
    {IDC_LIST, WC_LISTVIEWA, "", WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER, WS_EX_CLIENTEDGE, kList},
    {IDC_STATUSLINE, "STATIC", "Not scanned yet", SS_LEFT | SS_NOPREFIX, 0, kStatusLine},
    {IDC_OPTIONS, "BUTTON", "&Options", kButton, 0, ButtonInRow(0)},
    {IDC_RESCAN, "BUTTON", "&Rescan", kButton, 0, ButtonInRow(1)},
    {IDC_SORT, "BUTTON", "&Sort Missions", kButton, 0, ButtonInRow(2)},
    {IDC_LAUNCH, "BUTTON", "&Start Quellan", kButton, 0, ButtonInRow(3)},
    {IDC_HIDE, "BUTTON", "&Hide", kButton, 0, kHide},
    {IDC_HISTORY, "BUTTON", "His&tory", kButton, 0, kHistory},
};

HICON LoadAppIcon(int id, int sizeMetric, int dpi) {
    const int size = SystemMetric(sizeMetric, dpi);
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
}

}  // namespace

bool TrayHostWindow::Create(frmWendrel& form) {
    form_ = &form;
    Register(kClassName);
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    showStatus_ = RegisterWindowMessageA(kShowStatusMessage);
    // A hidden top-level window: message-only windows miss broadcasts.
    if (!CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "Wendrel", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         GetModuleHandleA(nullptr), this))
        return false;
    // Run as administrator, the program would otherwise not hear Explorer's
    // restart or a second start, which run at a lower integrity level.
    for (UINT message : {taskbarCreated_, showStatus_})
        ChangeWindowMessageFilterEx(hwnd_, message, MSGFLT_ALLOW, nullptr);
    dpi_ = WindowDpi(hwnd_);
    return true;
}

HICON TrayHostWindow::Icon(TrayIconKind kind) {
    UniqueIcon& icon = kind == TrayIconKind::Normal ? normalIcon_ : highIcon_;
    // Loaded when first needed, and again at another DPI.
    if (!icon) icon.reset(LoadAppIcon(kind == TrayIconKind::Normal ? IDI_WENDREL : IDI_HIGH, SM_CXSMICON, dpi_));
    return icon.get();
}

void TrayHostWindow::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT TrayHostWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kWmMouseMove && wParam == 1) {
        // The tray reports its mouse message in the low word of lParam.
        form_->tiFB_MouseMove(LOWORD(lParam));
        return 0;
    }
    if (message == taskbarCreated_ && message != 0) {
        form_->OnTaskbarCreated();
        return 0;
    }
    if (message == showStatus_ && message != 0) {
        form_->tiFB_MouseMove(kWmLButtonDblClk);
        return 0;
    }
    if (const LRESULT handled = OnDesktopNotice(message, wParam, lParam); handled != -1) return handled;
    switch (message) {
        // A close request to the program (taskkill without /f, an installer)
        // ends it as Exit does, instead of leaving it without windows.
        case WM_CLOSE: form_->EndOnRequest("asked to close"); return 0;
        case WM_QUERYENDSESSION: return TRUE;  // nothing to save, nothing to ask
        case WM_ENDSESSION:
            if (wParam)
                form_->EndOnRequest((lParam & ENDSESSION_CLOSEAPP) ? "Windows asked it to close"
                                                                   : "Windows is ending the session");
            return 0;
        default: return DefWindowProcA(hwnd_, message, wParam, lParam);
    }
}

// The desktop's notices, each passed to the core, which decides what it
// means; -1 for any other message.
LRESULT TrayHostWindow::OnDesktopNotice(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMSUSPEND) form_->OnSuspend();
            if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) form_->OnResume();
            return TRUE;
        case WM_TIMECHANGE: form_->OnTimeChange(); return 0;
        case WM_SETTINGCHANGE: form_->OnSettingChange(lParam ? reinterpret_cast<const char*>(lParam) : ""); return 0;
        case kNetworkChangedMessage: form_->OnNetworkChange(); return 0;
        case WM_DPICHANGED:
            // The notification area's icons follow its DPI: the pictures at the new size.
            dpi_ = LOWORD(wParam);
            normalIcon_.reset();
            highIcon_.reset();
            form_->RefreshTrayIcon();
            return 0;
        default: return -1;
    }
}

bool MainWindow::Create(frmWendrel& form) {
    form_ = &form;
    if (!trayHost_.Create(form)) return false;
    Register(kClassName);
    // Owned by the hidden tray host, like a form of a program whose task bar
    // entry is switched off: no task bar button on any shell.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    return CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, form.Say()(frmWendrel::Title()).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, 100,
                           100, trayHost_.Handle(), nullptr, GetModuleHandleA(nullptr), this) != nullptr;
}

void MainWindow::CreateControls() {
    MakeControls(hwnd_, kPieces);
    list_ = GetDlgItem(hwnd_, IDC_LIST);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    LVCOLUMNA column{};
    column.mask = LVCF_SUBITEM;
    SendMessageA(list_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    column.iSubItem = 1;
    SendMessageA(list_, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
    NameColumns();
    dpi_ = WindowDpi(hwnd_);
    LayOut();
    const TwipScale scale(dpi_);
    SizeClientCentred(hwnd_, scale.X(kClientWidth), scale.Y(kClientHeight));
}

void MainWindow::NameColumns() {
    const char* names[] = {"Server", "Players"};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT;
        column.pszText = const_cast<char*>(names[i]);
        SendMessageA(list_, LVM_SETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

void MainWindow::Retranslate() {
    SetWindowTextA(hwnd_, form_->Say()(frmWendrel::Title()).c_str());
    // The status line is the form's to say again.
    for (const ControlPiece& piece : kPieces)
        if (piece.id != IDC_STATUSLINE && piece.id != IDC_LIST) SetDlgItemTextA(hwnd_, piece.id, piece.text);
    NameColumns();
    LayOut();
}

void MainWindow::LayOut() {
    const TwipScale scale(dpi_);
    PlaceControls(hwnd_, kPieces, scale);
    ListView_SetColumnWidth(list_, 0, scale.X(kServerColumn));
    ListView_SetColumnWidth(list_, 1, scale.X(kPlayersColumn));
    // The new icons are the window's before the old ones go.
    UniqueIcon small(LoadAppIcon(IDI_WENDREL, SM_CXSMICON, dpi_)), big(LoadAppIcon(IDI_WENDREL, SM_CXICON, dpi_));
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    smallIcon_ = std::move(small);
    bigIcon_ = std::move(big);
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateControls();
            RegisterDialogWindow(hwnd_);  // Tab, access keys, and Esc to hide
            return 0;
        case WM_TIMER:
            if (wParam == kTimerId) form_->Timer1_Timer();
            return 0;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_OPTIONS: form_->btnOptions_Click(); break;
                case IDC_RESCAN: form_->btnRescan_Click(); break;
                case IDC_SORT: form_->btnSort_Click(); break;
                case IDC_LAUNCH: form_->btnAbout_Click(); break;
                case IDC_HISTORY: form_->btnHistory_Click(); break;
                case IDC_HIDE:
                case IDCANCEL: form_->btnHide_Click(); break;
                default: break;
            }
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) ActiveForm::Activated(hwnd_);
            return 0;
        case WM_DPICHANGED: {
            dpi_ = LOWORD(wParam);
            LayOut();
            const TwipScale scale(dpi_);
            MoveForDpiChange(hwnd_, *reinterpret_cast<const RECT*>(lParam), scale.X(kClientWidth),
                             scale.Y(kClientHeight));
            RedrawAll(hwnd_);  // a smaller caption leaves the larger one's pixels behind
            return 0;
        }
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            // Common controls hear these only from their window; Wine's list
            // keeps the colours it was made with, so they are given again.
            SendMessageA(list_, message, wParam, lParam);
            ListView_SetBkColor(list_, GetSysColor(COLOR_WINDOW));
            ListView_SetTextBkColor(list_, GetSysColor(COLOR_WINDOW));
            ListView_SetTextColor(list_, GetSysColor(COLOR_WINDOWTEXT));
            RedrawAll(hwnd_);
            return 0;
        case WM_THEMECHANGED: RedrawAll(hwnd_); return 0;
        case WM_CLOSE:
            // The close box hides the window unless the program is ending.
            if (!form_->Form_QueryUnload()) Destroy();
            return 0;
        case WM_DESTROY:
            ActiveForm::Left(hwnd_);
            UnregisterDialogWindow(hwnd_);
            return 0;
        default: return DefWindowProcA(hwnd_, message, wParam, lParam);
    }
}

void MainWindow::ShowNormal() {
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
}

void MainWindow::ShowWindow() {
    ::ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
}

void MainWindow::HideWindow() {
    ActiveForm::Left(hwnd_);
    ::ShowWindow(hwnd_, SW_HIDE);
}

void MainWindow::HideFromTaskList() {
    // A tool window has no task bar button and is left out of Alt+Tab.
    const LONG_PTR ex = GetWindowLongPtrA(hwnd_, GWL_EXSTYLE);
    SetWindowLongPtrA(hwnd_, GWL_EXSTYLE, (ex | WS_EX_TOOLWINDOW) & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
}

void MainWindow::SetTimerEnabled(bool enabled) {
    if (enabled)
        SetTimer(hwnd_, kTimerId, 1000, nullptr);
    else
        KillTimer(hwnd_, kTimerId);
}

void MainWindow::SetRescanEnabled(bool enabled) { EnableWindow(GetDlgItem(hwnd_, IDC_RESCAN), enabled); }

void MainWindow::ClearRows() { ListView_DeleteAllItems(list_); }

void MainWindow::AddRow(const std::string& name, std::int32_t players) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = ListView_GetItemCount(list_);
    item.pszText = const_cast<char*>(name.c_str());
    const int row = static_cast<int>(SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    const std::string count = std::to_string(players);
    item.iItem = row;
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(count.c_str());
    SendMessageA(list_, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void MainWindow::SetStatusLine(const std::string& text) { SetDlgItemTextA(hwnd_, IDC_STATUSLINE, text.c_str()); }

MenuCommand MainWindow::ShowPopupMenu() {
    UniqueMenu menu(CreatePopupMenu());
    const std::pair<UINT, const char*> items[] = {{IDM_LAUNCH, "&Launch Zalmo"},
                                                  {IDM_STATUS, "&Server Status"},
                                                  {IDM_OPTIONS, "&Options"},
                                                  {IDM_ABOUT, "&About"},
                                                  {IDM_QUIT, "E&xit"}};
    for (const auto& [id, caption] : items) AppendMenuA(menu.get(), MF_STRING, id, caption);
    POINT at{};
    GetCursorPos(&at);
    // Without the foreground and the WM_NULL after it, the menu would not
    // close when the user clicks elsewhere.
    HWND owner = trayHost_.Handle();
    SetForegroundWindow(owner);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, owner, nullptr));
    PostMessageA(owner, WM_NULL, 0, 0);
    switch (chosen) {
        case IDM_LAUNCH: return MenuCommand::Launch;
        case IDM_STATUS: return MenuCommand::Status;
        case IDM_OPTIONS: return MenuCommand::Options;
        case IDM_ABOUT: return MenuCommand::About;
        case IDM_QUIT: return MenuCommand::Quit;
        default: return MenuCommand::None;
    }
}

std::uintptr_t MainWindow::TrayWindowHandle() { return reinterpret_cast<std::uintptr_t>(trayHost_.Handle()); }

std::uintptr_t MainWindow::IconHandle(TrayIconKind kind) {
    return reinterpret_cast<std::uintptr_t>(trayHost_.Icon(kind));
}

void MainWindow::UnloadHighIcon() { trayHost_.UnloadHighIcon(); }

void MainWindow::Destroy() {
    trayHost_.Destroy();
    if (hwnd_) DestroyWindow(hwnd_);
}

void MainWindow::EndProgram() { ExitProcess(0); }
