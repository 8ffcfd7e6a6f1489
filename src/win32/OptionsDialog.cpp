#include "win32/OptionsDialog.h"

#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "platform/resource.h"
#include "win32/ActiveForm.h"
#include "win32/Boundary.h"
#include "win32/Controls.h"
#include "win32/Handles.h"
#include "win32/MessagePump.h"
#include "win32/SystemLibrary.h"
#include "win32/TextConversion.h"

static_assert(IDC_OPTIONS_OK == IDOK && IDC_OPTIONS_CANCEL == IDCANCEL);

namespace {

// The "..." buttons' font.
HFONT DotsFont(int dpi) { return KeptFont("MS Sans Serif", 975, FW_BOLD, dpi); }

// The language list drops down this much below its box.
constexpr int kListDropHeight = 1800;

constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;

// The window's controls as the layout places them; their captions are set apart.
std::vector<ControlPiece> Pieces(const OptionsLayout& layout) {
    std::vector<ControlPiece> pieces;
    for (const OptionsPiece& p : layout.pieces) {
        ControlPiece piece{p.id, "STATIC", "", SS_LEFT, 0, {p.box.left, p.box.top, p.box.width, p.box.height}};
        switch (p.kind) {
            case PieceKind::Label: piece.style = SS_LEFT | SS_LEFTNOWORDWRAP; break;
            case PieceKind::WrappedLabel: break;
            // A path in it is the program's, not an access key's "&"; a long one breaks anywhere.
            case PieceKind::Note: piece.style = SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL; break;
            case PieceKind::Edit:
                piece.className = "EDIT";
                piece.style = WS_TABSTOP | ES_AUTOHSCROLL;
                piece.exStyle = WS_EX_CLIENTEDGE;
                break;
            case PieceKind::Browse:
                piece.className = "BUTTON";
                piece.style = kButton;
                piece.font = DotsFont;
                break;
            case PieceKind::Button:
                piece.className = "BUTTON";
                piece.style = kButton;
                break;
            case PieceKind::DefaultButton:
                piece.className = "BUTTON";
                piece.style = WS_TABSTOP | BS_DEFPUSHBUTTON;
                break;
            case PieceKind::Check:
                piece.className = "BUTTON";
                piece.style = WS_TABSTOP | BS_3STATE;
                break;
            case PieceKind::List:
                piece.className = "COMBOBOX";
                piece.style = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
                piece.box.height += kListDropHeight;
                break;
        }
        pieces.push_back(piece);
    }
    return pieces;
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
    const auto set = SystemFunction<SetBehavior>(GetModuleHandleW(L"user32.dll"), "SetDialogDpiChangeBehavior");
    if (set) set(dialog, kDisableAll, kDisableAll);
}

// An empty dialog template: the controls are made in code, in twips.
struct EmptyTemplate {
    DLGTEMPLATE head;
    WORD menu = 0, windowClass = 0, title = 0;
};

// "description|pattern|..." as the file picker takes it: parts ending in
// NUL, the whole in two.
std::wstring FilterForDialog(const std::string& filter) {
    std::wstring pairs = Wide(filter, CP_UTF8);
    std::replace(pairs.begin(), pairs.end(), L'|', L'\0');
    return pairs + std::wstring(2, L'\0');
}

}  // namespace

void OptionsDialog::Load() {
    if (window_) return;
    alignas(4) EmptyTemplate tmpl{};
    tmpl.head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
    // Wide: the edit boxes take any letter, whatever Windows' ANSI code page.
    window_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &tmpl.head, nullptr, DialogProc,
                                         reinterpret_cast<LPARAM>(this));
    if (!window_) return;
    RegisterDialogWindow(window_);
}

void OptionsDialog::Unload() {
    if (!window_) return;
    HWND window = window_;
    window_ = nullptr;
    captioned_ = nullptr;
    ActiveForm::Left(window);
    UnregisterDialogWindow(window);
    DestroyWindow(window);
}

void OptionsDialog::Show() {
    if (!window_) return;
    // The language changed while the dialog was hidden.
    if (captioned_ != &texts_.Language()) {
        Caption();
        LayOut(false);
    }
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
        switch (row.kind) {
            case FieldKind::Check: CheckDlgButton(window_, row.control, CheckState(controls.Check(row.field))); break;
            case FieldKind::Choice:
                SendDlgItemMessageW(window_, row.control, CB_SETCURSEL,
                                    LanguageChoiceIndex(languages_, controls.Text(row.field)), 0);
                break;
            case FieldKind::Number:
            case FieldKind::Text: SetWindowTextUtf8(GetDlgItem(window_, row.control), controls.Text(row.field)); break;
        }
    }
    HWND note = GetDlgItem(window_, IDC_STARTUP_NOTE);
    const bool newNote = WindowText(note) != controls.startupNote;
    SetWindowTextUtf8(note, controls.startupNote);
    filling_ = false;
    // A note of more lines, or fewer, than the last.
    if (newNote && captioned_) LayOut(false);
}

void OptionsDialog::FocusField(OptionsField field) {
    if (!window_) return;
    HWND control = GetDlgItem(window_, FieldRow(field).control);
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    if (FieldRow(field).kind != FieldKind::Choice) SendMessageW(control, EM_SETSEL, 0, -1);
}

std::optional<std::string> OptionsDialog::PickFile(const std::string& initialName, const std::string& filter,
                                                   int filterIndex) {
    const std::wstring pairs = FilterForDialog(filter);
    const std::wstring initial = Wide(initialName, CP_UTF8);
    std::vector<wchar_t> file(32768, L'\0');
    for (const bool withInitialName : {true, false}) {
        std::fill(file.begin(), file.end(), L'\0');
        if (withInitialName) initial.copy(file.data(), std::min(initial.size(), file.size() - 1));
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = window_;
        ofn.lpstrFilter = pairs.c_str();
        ofn.nFilterIndex = static_cast<DWORD>(filterIndex);
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = static_cast<DWORD>(file.size());
        // The current folder stays put: a relative alarm sound is found from it.
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLESIZING;
        if (GetOpenFileNameW(&ofn)) return Narrow(file.data(), CP_UTF8);
        // A box text the dialog cannot take as a file name: open it empty instead.
        if (!withInitialName || CommDlgExtendedError() != FNERR_INVALIDFILENAME) break;
    }
    return std::nullopt;
}

INT_PTR CALLBACK OptionsDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<OptionsDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->window_ = window;
        return CatchAtBoundary<INT_PTR>(FALSE, [&] {
            self->CreateControls();
            return FALSE;
        });
    }
    auto* self = reinterpret_cast<OptionsDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!self || self->window_ != window) return FALSE;
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, DWLP_USER, 0);
    return CatchAtBoundary<INT_PTR>(FALSE, [&] { return self->OnMessage(message, wParam, lParam); });
}

void OptionsDialog::CreateControls() {
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_WENDREL));
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    TakeOverDpiChanges(window_);
    MakeControls(window_, Pieces(OptionsDesign()));
    // The boxes take any text, of any length.
    for (const OptionsFieldRow& row : kOptionsFields)
        if (row.kind == FieldKind::Number || row.kind == FieldKind::Text)
            SendDlgItemMessageW(window_, row.control, EM_LIMITTEXT, 0, 0);
    dpi_ = WindowDpi(window_);
    Caption();
    LayOut(true);
}

void OptionsDialog::Caption() {
    SetWindowTextUtf8(window_, texts_(Message(Msg::OptionsTitle)));
    for (const OptionsPiece& piece : OptionsDesign().pieces)
        if (piece.caption) SetWindowTextUtf8(GetDlgItem(window_, piece.id), texts_(Message(*piece.caption)));
    languages_ = LanguageChoices(texts_);
    HWND list = GetDlgItem(window_, IDC_LANGUAGE);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const LanguageChoice& choice : languages_)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(choice.name, CP_UTF8).c_str()));
    captioned_ = &texts_.Language();
    if (form_ && form_->IsLoaded()) ShowControls(form_->Controls());
}

OptionsLayout OptionsDialog::Measure() const {
    const TwipScale scale(dpi_);
    const auto width = [&](const OptionsPiece& piece) {
        const HFONT font = piece.kind == PieceKind::Browse ? DotsFont(dpi_) : DialogFont(dpi_);
        if (piece.kind == PieceKind::List) {
            int widest = 0;
            for (const LanguageChoice& choice : languages_)
                widest = std::max(widest, TextWidth(font, choice.name, false));
            return scale.TwipsX(widest + SystemMetric(SM_CXVSCROLL, dpi_) + MulDiv(10, dpi_, 96));
        }
        if (!piece.caption) return 0;
        const std::string text = texts_(Message(*piece.caption));
        switch (piece.kind) {
            case PieceKind::WrappedLabel: {
                // Wrapped within its box's lines, it needs no more than the box; else one line.
                const SIZE wrapped = WrappedSize(font, text, scale.X(piece.box.width), true);
                if (wrapped.cx <= scale.X(piece.box.width) && wrapped.cy <= scale.Y(piece.box.height))
                    return piece.box.width;
                return scale.TwipsX(CaptionWidth(CaptionKind::Label, font, text, dpi_));
            }
            case PieceKind::Check: return scale.TwipsX(CaptionWidth(CaptionKind::CheckBox, font, text, dpi_));
            case PieceKind::Browse:
            case PieceKind::Button:
            case PieceKind::DefaultButton: return scale.TwipsX(CaptionWidth(CaptionKind::Button, font, text, dpi_));
            default: return scale.TwipsX(CaptionWidth(CaptionKind::Label, font, text, dpi_));
        }
    };
    // The note's text is the program's, set when the form shows its controls.
    const auto height = [&](const OptionsPiece& piece, int twips) {
        const std::string text = WindowText(GetDlgItem(window_, piece.id));
        return scale.TwipsY(WrappedSize(DialogFont(dpi_), text, scale.X(twips), false, true).cy);
    };
    return LayOutOptions(width, height);
}

void OptionsDialog::LayOut(bool centre) {
    const OptionsLayout layout = Measure();
    const TwipScale scale(dpi_);
    PlaceControls(window_, Pieces(layout), scale);
    const int width = scale.X(layout.width), height = scale.Y(layout.height);
    if (centre) return SizeClientCentred(window_, width, height);
    const SIZE frame = FrameSize(window_);
    SetWindowPos(window_, nullptr, 0, 0, width + frame.cx, height + frame.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawAll(window_);
}

void OptionsDialog::OnDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    const OptionsLayout layout = Measure();
    const TwipScale scale(dpi_);
    PlaceControls(window_, Pieces(layout), scale);
    MoveForDpiChange(window_, suggested, scale.X(layout.width), scale.Y(layout.height));
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
        case IDC_TEST: form_->btnTest_Click(); return;
        default: break;
    }
    const OptionsFieldRow* row = RowOfControl(id);
    if (!row || filling_) return;
    switch (row->kind) {
        case FieldKind::Number:
        case FieldKind::Text:
            if (code == EN_CHANGE) form_->EditText(row->field, WindowText(GetDlgItem(window_, id)));
            break;
        case FieldKind::Choice:
            if (code == CBN_SELCHANGE) {
                const auto chosen = static_cast<std::size_t>(SendDlgItemMessageW(window_, id, CB_GETCURSEL, 0, 0));
                if (chosen < languages_.size()) form_->EditText(row->field, languages_[chosen].code);
            }
            break;
        case FieldKind::Check:
            if (code == BN_CLICKED) {
                // A click turns a ticked or greyed box off and an empty one on.
                const std::int16_t next = form_->Controls().Check(row->field) == 0 ? 1 : 0;
                form_->EditCheck(row->field, next);
                CheckDlgButton(window_, id, CheckState(next));
            }
            break;
    }
}
