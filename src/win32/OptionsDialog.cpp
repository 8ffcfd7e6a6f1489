#include "win32/OptionsDialog.h"

#include <cderr.h>
#include <commdlg.h>

#include <optional>
#include <utility>
#include <vector>

#include "platform/resource.h"
#include "settings/frmOptions.h"
#include "win32/ActiveForm.h"
#include "win32/Boundary.h"
#include "win32/Controls.h"
#include "win32/MessagePump.h"
#include "win32/SystemLibrary.h"

namespace {

// Twips. The text boxes fill the top; the check boxes follow one a row in
// the order of the fields' table, then OK and Cancel, and the dialog's height
// follows from the number of check boxes.
constexpr int kClientWidth = 5370;
constexpr int kFirstCheckTop = 1440, kCheckRow = 300, kButtonGap = 360, kButtonHeight = 390, kBottomMargin = 90;

// The "..." buttons' font.
HFONT DotsFont(int dpi) { return KeptFont("MS Sans Serif", 975, FW_BOLD, dpi); }

constexpr DWORD kEdit = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kLabel = SS_LEFT | SS_LEFTNOWORDWRAP;
constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;

// The controls above the check boxes. Creation order is the tab order; each
// label comes just before the box its access key moves to.
const ControlPiece kBoxes[] = {
    {IDC_LABEL0, "STATIC", "&Check Every:", kLabel, 0, {105, 150, 1080, 270}},
    {IDC_MINUTES, "EDIT", "", kEdit, WS_EX_CLIENTEDGE, {1320, 120, 645, 315}},
    {IDC_LABEL2, "STATIC", "minutes for", kLabel, 0, {2040, 120, 960, 270}},
    {IDC_USERS, "EDIT", "", kEdit, WS_EX_CLIENTEDGE, {2880, 120, 645, 315}},
    {IDC_LABEL3, "STATIC", "players online", kLabel, 0, {3600, 120, 960, 270}},
    {IDC_LABEL1, "STATIC", "&Alarm Sound:", kLabel, 0, {105, 533, 1080, 270}},
    {IDC_SOUND, "EDIT", "", kEdit, WS_EX_CLIENTEDGE, {1320, 533, 3525, 315}},
    {IDC_ALARMDLG, "BUTTON", "...", kButton, 0, {4800, 533, 375, 323}, DotsFont},
    // Two lines high; it wraps before the box that follows it instead of running under it.
    {IDC_LABEL4, "STATIC", "&Quellan Directory:", SS_LEFT, 0, {105, 975, 1155, 390}},
    {IDC_ZALMO, "EDIT", "", kEdit, WS_EX_CLIENTEDGE, {1320, 960, 3525, 315}},
    {IDC_ZALMODLG, "BUTTON", "...", kButton, 0, {4800, 960, 375, 323}, DotsFont},
};

// All the dialog's controls, in creation order: the boxes, a check box a row
// for each check field of the table, then OK and Cancel.
std::vector<ControlPiece> Pieces() {
    std::vector<ControlPiece> pieces(std::begin(kBoxes), std::end(kBoxes));
    int top = kFirstCheckTop;
    for (const OptionsFieldRow& row : kOptionsFields) {
        if (row.kind != FieldKind::Check) continue;
        pieces.push_back({row.control, "BUTTON", row.caption, WS_TABSTOP | BS_3STATE, 0, {1320, top, 3015, 255}});
        top += kCheckRow;
    }
    const int buttonTop = top + kButtonGap;
    pieces.push_back({IDOK, "BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {1313, buttonTop, 1140, kButtonHeight}});
    pieces.push_back({IDCANCEL, "BUTTON", "Cancel", kButton, 0, {2918, buttonTop, 1140, kButtonHeight}});
    return pieces;
}

// The client area's height follows from the last row, OK and Cancel.
int ClientHeight(const std::vector<ControlPiece>& pieces) {
    const Twips& last = pieces.back().box;
    return last.top + last.height + kBottomMargin;
}

UINT CheckState(std::int16_t value) {
    return value == 0 ? BST_UNCHECKED : value == 1 ? BST_CHECKED : BST_INDETERMINATE;
}

const OptionsFieldRow* RowOfControl(int id) {
    for (const OptionsFieldRow& row : kOptionsFields)
        if (row.control == id) return &row;
    return nullptr;
}

// The dialog manager of Windows 10 1703 and later scales a dialog at a DPI
// change by itself; this one is laid out again from its twips instead.
void TakeOverDpiChanges(HWND dialog) {
    using SetBehavior = BOOL(WINAPI*)(HWND, int, int);
    constexpr int kDisableAll = 1;  // DDC_DISABLE_ALL
    const auto set = SystemFunction<SetBehavior>(GetModuleHandleA("user32.dll"), "SetDialogDpiChangeBehavior");
    if (set) set(dialog, kDisableAll, kDisableAll);
}

// An empty dialog template: the controls are made in code, in twips.
struct EmptyTemplate {
    DLGTEMPLATE head;
    WORD menu = 0, windowClass = 0, title = 0;
};

std::vector<char> FilterForDialog(const std::string& filter) {
    std::vector<char> pairs(filter.begin(), filter.end());
    for (char& c : pairs)
        if (c == '|') c = '\0';
    pairs.push_back('\0');
    pairs.push_back('\0');
    return pairs;
}

}  // namespace

void OptionsDialog::Load() {
    if (window_) return;
    alignas(4) EmptyTemplate tmpl{};
    tmpl.head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
    window_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &tmpl.head, nullptr, DialogProc,
                                         reinterpret_cast<LPARAM>(this));
    if (!window_) return;
    RegisterDialogWindow(window_);
}

void OptionsDialog::Unload() {
    if (!window_) return;
    HWND window = window_;
    window_ = nullptr;
    ActiveForm::Left(window);
    UnregisterDialogWindow(window);
    DestroyWindow(window);
}

void OptionsDialog::Show() {
    if (!window_) return;
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
}

void OptionsDialog::Hide() {
    if (!window_) return;
    ActiveForm::Left(window_);
    ShowWindow(window_, SW_HIDE);
}

void OptionsDialog::ShowControls(const OptionsControls& controls) {
    if (!window_) return;
    filling_ = true;
    for (const OptionsFieldRow& row : kOptionsFields) {
        if (row.kind == FieldKind::Check)
            CheckDlgButton(window_, row.control, CheckState(controls.Check(row.field)));
        else
            SetDlgItemTextA(window_, row.control, controls.Text(row.field).c_str());
    }
    filling_ = false;
}

void OptionsDialog::FocusField(OptionsField field) {
    if (!window_) return;
    HWND control = GetDlgItem(window_, FieldRow(field).control);
    SendMessageA(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    SendMessageA(control, EM_SETSEL, 0, -1);
}

std::optional<std::string> OptionsDialog::PickFile(const std::string& initialName, const std::string& filter,
                                                   int filterIndex) {
    const std::vector<char> pairs = FilterForDialog(filter);
    std::vector<char> file(32768, '\0');
    for (const bool withInitialName : {true, false}) {
        std::fill(file.begin(), file.end(), '\0');
        if (withInitialName) initialName.copy(file.data(), std::min(initialName.size(), file.size() - 1));
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = window_;
        ofn.lpstrFilter = pairs.data();
        ofn.nFilterIndex = static_cast<DWORD>(filterIndex);
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = static_cast<DWORD>(file.size());
        // The current folder stays put: a relative alarm sound is found from it.
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLESIZING;
        if (GetOpenFileNameA(&ofn)) return std::string(file.data());
        // A box text the dialog cannot take as a file name: open it empty instead.
        if (!withInitialName || CommDlgExtendedError() != FNERR_INVALIDFILENAME) break;
    }
    return std::nullopt;
}

INT_PTR CALLBACK OptionsDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<OptionsDialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        self->window_ = window;
        return CatchAtBoundary<INT_PTR>(FALSE, [&] {
            self->CreateControls();
            return FALSE;
        });
    }
    auto* self = reinterpret_cast<OptionsDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!self || self->window_ != window) return FALSE;
    if (message == WM_NCDESTROY) SetWindowLongPtrA(window, DWLP_USER, 0);
    return CatchAtBoundary<INT_PTR>(FALSE, [&] { return self->OnMessage(message, wParam, lParam); });
}

void OptionsDialog::CreateControls() {
    SetWindowTextA(window_, "Options");
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_WENDREL));
    SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    TakeOverDpiChanges(window_);
    const std::vector<ControlPiece> pieces = Pieces();
    MakeControls(window_, pieces);
    // The boxes take any text, of any length.
    for (const OptionsFieldRow& row : kOptionsFields)
        if (row.kind != FieldKind::Check) SendDlgItemMessageA(window_, row.control, EM_LIMITTEXT, 0, 0);
    dpi_ = WindowDpi(window_);
    const TwipScale scale(dpi_);
    PlaceControls(window_, pieces, scale);
    SizeClientCentred(window_, scale.X(kClientWidth), scale.Y(ClientHeight(pieces)));
}

void OptionsDialog::OnDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    const std::vector<ControlPiece> pieces = Pieces();
    const TwipScale scale(dpi_);
    PlaceControls(window_, pieces, scale);
    MoveForDpiChange(window_, suggested, scale.X(kClientWidth), scale.Y(ClientHeight(pieces)));
    RedrawAll(window_);
}

INT_PTR OptionsDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return TRUE;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && ActiveForm::Activated(window_)) form_->Form_Activate();
            return FALSE;
        case WM_CLOSE:
            // The close box unloads the form with its entries, as closing a form always did.
            form_->Unload();
            return TRUE;
        case WM_DPICHANGED: OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return TRUE;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
        case WM_THEMECHANGED: RedrawAll(window_); return FALSE;
        default: return FALSE;
    }
}

void OptionsDialog::OnCommand(int id, int code) {
    switch (id) {
        case IDOK: form_->cmdOK_Click(); return;
        case IDCANCEL: form_->cmdCancel_Click(); return;
        case IDC_ALARMDLG: form_->btnAlarmDlg_Click(); return;
        case IDC_ZALMODLG: form_->btnZalmoDlg_Click(); return;
        default: break;
    }
    const OptionsFieldRow* row = RowOfControl(id);
    if (!row) return;
    if (row->kind != FieldKind::Check) {
        if (code == EN_CHANGE && !filling_) form_->EditText(row->field, WindowText(GetDlgItem(window_, id)));
    } else if (code == BN_CLICKED) {
        // A click turns a ticked or greyed box off and an empty one on.
        const std::int16_t next = form_->Controls().Check(row->field) == 0 ? 1 : 0;
        form_->EditCheck(row->field, next);
        CheckDlgButton(window_, id, CheckState(next));
    }
}
