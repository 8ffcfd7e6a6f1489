#include "win32/MainWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "monitor/frmWendrel.h"
#include "platform/resource.h"
#include "win32/ActiveForm.h"
#include "win32/Controls.h"
#include "win32/MessagePump.h"
#include "win32/TextConversion.h"

namespace {

// Layout in twips (15 per pixel at 96 dpi), as drawn for English; longer
// texts grow it (Growth).
constexpr int kClientWidth = 5775, kClientHeight = 3390;
constexpr Twips kFrame{120, 60, 5535, 2355};
constexpr Twips kList{240, 300, 5295, 1545};
constexpr Twips kStatusLine{240, 1905, 5295, 390};  // two lines: a failure's reason can be long
constexpr int kButtonTop = 2535, kButtonWidth = 1305, kButtonHeight = 375, kButtonGap = 105;
constexpr int kHideTop = 2985, kHideHeight = 285;
constexpr int kServerColumn = 2400, kPlayersColumn = 1440;
// Room beside a column's heading.
constexpr int kHeadingMargin = 180;
constexpr int kRowButtons = 4;

// The controls with the window grown by grow: the row of four buttons of
// equal size spans the frame, and shares its growth, as do the list and the
// status line; Hide and History stay centred under the row. A taller status
// line makes the frame taller and moves the buttons down.
std::vector<ControlPiece> Pieces(MainGrowth grow) {
    const int buttonWidth = kButtonWidth + grow.wider / kRowButtons;
    const auto wider = [&grow](Twips box, int taller) {
        return Twips{box.left, box.top, box.width + grow.wider, box.height + taller};
    };
    const auto inRow = [&](int index) {
        return Twips{kFrame.left + index * (buttonWidth + kButtonGap), kButtonTop + grow.taller, buttonWidth,
                     kButtonHeight};
    };
    const Twips hide{(kClientWidth + grow.wider - buttonWidth) / 2, kHideTop + grow.taller, buttonWidth, kHideHeight};
    const Twips history{hide.left + buttonWidth + kButtonGap, hide.top, buttonWidth, kHideHeight};
    constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
    return {
        {IDC_FRAME, "BUTTON", "", BS_GROUPBOX, 0, wider(kFrame, grow.taller)},
        {IDC_LIST, "SysListView32", "", WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER, WS_EX_CLIENTEDGE,
         wider(kList, 0)},
        // A host or an address in a reason breaks anywhere rather than run out of the line.
        {IDC_STATUSLINE, "STATIC", "", SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0, wider(kStatusLine, grow.taller)},
        {IDC_OPTIONS, "BUTTON", "", kButton, 0, inRow(0)},
        {IDC_RESCAN, "BUTTON", "", kButton, 0, inRow(1)},
        {IDC_SORT, "BUTTON", "", kButton, 0, inRow(2)},
        {IDC_LAUNCH, "BUTTON", "", kButton, 0, inRow(3)},
        {IDC_HIDE, "BUTTON", "", kButton, 0, hide},
        {IDC_HISTORY, "BUTTON", "", kButton, 0, history},
    };
}

// The controls' captions; the buttons' set their width.
constexpr std::pair<int, Msg> kCaptions[] = {
    {IDC_FRAME, Msg::MainFrame},     {IDC_OPTIONS, Msg::MainOptions}, {IDC_RESCAN, Msg::MainRescan},
    {IDC_SORT, Msg::MainSort},       {IDC_LAUNCH, Msg::MainLaunch},   {IDC_HIDE, Msg::MainHide},
    {IDC_HISTORY, Msg::MainHistory},
};
constexpr Msg kColumns[] = {Msg::MainColumnServer, Msg::MainColumnPlayers};
constexpr int kColumnWidths[] = {kServerColumn, kPlayersColumn};

HICON LoadAppIcon(int id, int sizeMetric, int dpi) {
    const int size = SystemMetric(sizeMetric, dpi);
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
}

}  // namespace

bool TrayHostWindow::Create(frmWendrel& form) {
    form_ = &form;
    Register(kClassName);
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    showStatus_ = RegisterWindowMessageW(kShowStatusMessage);
    // A hidden top-level window: message-only windows miss broadcasts.
    if (!CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"Wendrel", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         GetModuleHandleW(nullptr), this))
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
        default: return DefWindowProcW(hwnd_, message, wParam, lParam);
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
        case WM_SETTINGCHANGE:
            // The area's name comes as UTF-16, as every text to this window does.
            form_->OnSettingChange(lParam ? Narrow(reinterpret_cast<const wchar_t*>(lParam), CP_UTF8) : "");
            return 0;
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
    return CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, Wide(form.Say()(frmWendrel::Title()), CP_UTF8).c_str(), style,
                           CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, trayHost_.Handle(), nullptr,
                           GetModuleHandleW(nullptr), this) != nullptr;
}

void MainWindow::CreateControls() {
    MakeControls(hwnd_, Pieces({}));
    list_ = GetDlgItem(hwnd_, IDC_LIST);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    LVCOLUMNW column{};
    column.mask = LVCF_SUBITEM;
    for (int i = 0; i < 2; ++i) {
        column.iSubItem = i;
        SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    Caption();
    dpi_ = WindowDpi(hwnd_);
    LayOut();
    LoadIcons();
    const SIZE client = ClientSize();
    SizeClientCentred(hwnd_, client.cx, client.cy);
}

void MainWindow::Caption() {
    const Texts& say = form_->Say();
    for (const auto& [id, caption] : kCaptions) SetWindowTextUtf8(GetDlgItem(hwnd_, id), say(caption));
    // Until the first scan the line is the window's own; after it, the form says it again.
    if (!statusSaid_) SetWindowTextUtf8(GetDlgItem(hwnd_, IDC_STATUSLINE), say(Msg::MainNotScanned));
    NameColumns();
}

void MainWindow::NameColumns() {
    for (int i = 0; i < 2; ++i) {
        std::wstring name = Wide(form_->Say()(kColumns[i]), CP_UTF8);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = name.data();
        SendMessageW(list_, LVM_SETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

void MainWindow::Retranslate() {
    SetWindowTextUtf8(hwnd_, form_->Say()(frmWendrel::Title()));
    Caption();
    Fit();
}

SIZE MainWindow::ClientSize() const {
    const TwipScale scale(dpi_);
    return {scale.X(kClientWidth + grow_.wider), scale.Y(kClientHeight + grow_.taller)};
}

// The widest button caption widens the row; the frame's title, the frame;
// the headings, their columns and so the list; and the window grows as much.
// The status line then takes as many lines as its text needs at its width.
MainGrowth MainWindow::Measure() const {
    const TwipScale scale(dpi_);
    const HFONT font = DialogFont(dpi_);
    int button = 0;
    for (const auto& [id, caption] : kCaptions)
        if (id != IDC_FRAME)
            button = std::max(button, CaptionWidth(CaptionKind::Button, font, WindowText(GetDlgItem(hwnd_, id)), dpi_));
    MainGrowth grow;
    grow.wider = kRowButtons * std::max(0, scale.TwipsX(button) - kButtonWidth);
    const int frame = CaptionWidth(CaptionKind::GroupBox, font, WindowText(GetDlgItem(hwnd_, IDC_FRAME)), dpi_);
    grow.wider = std::max(grow.wider, scale.TwipsX(frame) - kFrame.width);
    int columns = 2 * SystemMetric(SM_CXEDGE, dpi_);  // inside the list's sunken edge
    for (int i = 0; i < 2; ++i) columns += ColumnWidth(i);
    grow.wider = std::max(grow.wider, scale.TwipsX(columns) - kList.width);
    grow.wider = (grow.wider + kRowButtons - 1) / kRowButtons * kRowButtons;  // the row's buttons share it
    const SIZE status = WrappedSize(font, WindowText(GetDlgItem(hwnd_, IDC_STATUSLINE)),
                                    scale.X(kStatusLine.width + grow.wider), false, true);
    grow.taller = std::max(0, scale.TwipsY(status.cy) - kStatusLine.height);
    return grow;
}

int MainWindow::ColumnWidth(int column) const {
    const TwipScale scale(dpi_);
    const int heading = TextWidth(DialogFont(dpi_), form_->Say()(kColumns[column])) + scale.X(kHeadingMargin);
    return std::max(scale.X(kColumnWidths[column]), heading);
}

void MainWindow::LayOut() {
    grow_ = Measure();
    PlaceControls(hwnd_, Pieces(grow_), TwipScale(dpi_));
    for (int i = 0; i < 2; ++i) ListView_SetColumnWidth(list_, i, ColumnWidth(i));
}

void MainWindow::Fit() {
    LayOut();
    const SIZE client = ClientSize(), frame = FrameSize(hwnd_);
    SetWindowPos(hwnd_, nullptr, 0, 0, client.cx + frame.cx, client.cy + frame.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawAll(hwnd_);
}

void MainWindow::LoadIcons() {
    // The new icons are the window's before the old ones go.
    UniqueIcon small(LoadAppIcon(IDI_WENDREL, SM_CXSMICON, dpi_)), big(LoadAppIcon(IDI_WENDREL, SM_CXICON, dpi_));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
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
            LoadIcons();
            const SIZE client = ClientSize();
            MoveForDpiChange(hwnd_, *reinterpret_cast<const RECT*>(lParam), client.cx, client.cy);
            RedrawAll(hwnd_);  // a smaller caption leaves the larger one's pixels behind
            return 0;
        }
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            // Common controls hear these only from their window; Wine's list
            // keeps the colours it was made with, so they are given again.
            SendMessageW(list_, message, wParam, lParam);
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
        default: return DefWindowProcW(hwnd_, message, wParam, lParam);
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
    const LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, (ex | WS_EX_TOOLWINDOW) & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
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
    std::wstring text = Wide(name, CP_UTF8);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = ListView_GetItemCount(list_);
    item.pszText = text.data();
    const int row = static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    text = Wide(form_->Say().Value(Int{players}), CP_UTF8);
    item.iItem = row;
    item.iSubItem = 1;
    item.pszText = text.data();
    SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void MainWindow::SetStatusLine(const std::string& text) {
    statusSaid_ = true;
    SetWindowTextUtf8(GetDlgItem(hwnd_, IDC_STATUSLINE), text);
    // A text of more lines, or fewer again, than the line has room for.
    if (!(Measure() == grow_)) Fit();
}

MenuCommand MainWindow::ShowPopupMenu() {
    UniqueMenu menu(CreatePopupMenu());
    constexpr std::pair<UINT, Msg> kItems[] = {{IDM_LAUNCH, Msg::MenuLaunch},
                                               {IDM_STATUS, Msg::MenuStatus},
                                               {IDM_OPTIONS, Msg::MenuOptions},
                                               {IDM_ABOUT, Msg::MenuAbout},
                                               {IDM_QUIT, Msg::MenuExit}};
    for (const auto& [id, caption] : kItems)
        AppendMenuW(menu.get(), MF_STRING, id, Wide(form_->Say()(caption), CP_UTF8).c_str());
    POINT at{};
    GetCursorPos(&at);
    // Without the foreground and the WM_NULL after it, the menu would not
    // close when the user clicks elsewhere.
    HWND owner = trayHost_.Handle();
    SetForegroundWindow(owner);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
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
