#include "Driver.h"

#include <commctrl.h>
#include <shellapi.h>

#include <thread>

namespace driver {

bool WaitUntil(const std::function<bool()>& check, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (check()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
}

std::wstring Wide(const std::string& text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string Narrow(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

namespace {

// A class name or caption to look for; null stays null (any).
struct Name {
    explicit Name(const char* utf8) : given(utf8 != nullptr), text(utf8 ? Wide(utf8) : std::wstring()) {}
    const wchar_t* get() const { return given ? text.c_str() : nullptr; }
    bool given;
    std::wstring text;
};

HWND WaitForWindow(const std::function<HWND()>& find, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = find()) != nullptr; }, timeout);
    return found;
}

// The tray icon's callback as the shell sends it: the mouse message in lParam.
void PostTrayEvent(HWND trayHost, int mouseMessage) { PostMessageA(trayHost, WM_MOUSEMOVE, 1, mouseMessage); }
}  // namespace

HWND FindTop(const char* className, const char* caption) {
    return FindWindowW(Name(className).get(), Name(caption).get());
}

HWND WaitForTop(const char* className, const char* caption, std::chrono::milliseconds timeout) {
    return WaitForWindow([&] { return FindTop(className, caption); }, timeout);
}

std::vector<HWND> TopWindows(const char* className, const char* caption) {
    std::vector<HWND> windows;
    const Name cls(className), text(caption);
    for (HWND w = FindWindowExW(nullptr, nullptr, cls.get(), text.get()); w;
         w = FindWindowExW(nullptr, w, cls.get(), text.get()))
        windows.push_back(w);
    return windows;
}

HWND FindVisible(const char* className, const char* caption, DWORD pid, HWND except) {
    for (HWND w : TopWindows(className, caption))
        if (w != except && IsWindowVisible(w) && (pid == 0 || ProcessOf(w) == pid)) return w;
    return nullptr;
}

HWND WaitForVisible(const char* className, const char* caption, DWORD pid, std::chrono::milliseconds timeout) {
    return WaitForWindow([&] { return FindVisible(className, caption, pid); }, timeout);
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::string Text(HWND window) {
    // WM_GETTEXT is marshalled across processes; GetWindowText is not for controls.
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got));
    return Narrow(text.c_str());
}

std::string ControlText(HWND parent, int id) { return Text(GetDlgItem(parent, id)); }

bool Ticked(HWND parent, int id) { return SendMessageA(GetDlgItem(parent, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void RightClickTrayIcon(HWND trayHost) { PostTrayEvent(trayHost, WM_RBUTTONUP); }
void DoubleClickTrayIcon(HWND trayHost) { PostTrayEvent(trayHost, WM_LBUTTONDBLCLK); }
void ClickNotification(HWND trayHost) { PostTrayEvent(trayHost, NIN_BALLOONUSERCLICK); }

void PointAt(HWND window, int x, int y) {
    POINT at{x, y};
    ClientToScreen(window, &at);
    SetCursorPos(at.x, at.y);
}

void PressKey(HWND window, WPARAM key) { PostMessageA(window, WM_KEYDOWN, key, 0); }

HWND WaitForMenu(std::chrono::milliseconds timeout) {
    return WaitForWindow([] { return FindVisible("#32768", nullptr); }, timeout);
}

bool ChooseMenuItem(int index, std::chrono::milliseconds timeout) {
    HWND menu = WaitForMenu(timeout);
    if (!menu) return false;
    for (int i = 0; i <= index; ++i) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    return true;
}

void CloseMenu(HWND menu) { PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0); }

void Click(HWND parent, int id) {
    PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(parent, id)));
}

void PressOk(HWND dialog) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }
void PressCancel(HWND dialog) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }

HWND WaitForMessageBox(const char* title, DWORD pid, HWND except, std::chrono::milliseconds timeout) {
    return WaitForWindow([&] { return FindVisible("#32770", title, pid, except); }, timeout);
}

// A message box shows its text in a static control with the id 0xFFFF.
std::string MessageBoxText(HWND box) { return ControlText(box, 0xFFFF); }

std::vector<std::vector<std::string>> ReadListView(HWND list, int columns) {
    std::vector<std::vector<std::string>> rows;
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, ProcessOf(list));
    if (!process) return rows;
    // The item record and its text buffer must live in the list's process.
    constexpr SIZE_T kText = 512;  // characters
    auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kText * sizeof(wchar_t),
                                                     MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; remote && row < count; ++row) {
        std::vector<std::string> cells;
        for (int column = 0; column < columns; ++column) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
            item.cchTextMax = static_cast<int>(kText);
            WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
            SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
            wchar_t text[kText] = {};
            ReadProcessMemory(process, remote + sizeof(LVITEMW), text, (kText - 1) * sizeof(wchar_t), nullptr);
            cells.push_back(Narrow(text));
        }
        rows.push_back(std::move(cells));
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return rows;
}

namespace {
// Memory in another process, for messages whose pointers must point there.
class RemoteMemory {
public:
    RemoteMemory(DWORD pid, SIZE_T size)
        : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid)) {
        if (process_) base_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteMemory() {
        if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    char* At(SIZE_T offset) const { return base_ ? base_ + offset : nullptr; }
    void Write(SIZE_T offset, const void* data, SIZE_T size) const {
        WriteProcessMemory(process_, base_ + offset, data, size, nullptr);
    }
    void Read(SIZE_T offset, void* data, SIZE_T size) const {
        ReadProcessMemory(process_, base_ + offset, data, size, nullptr);
    }

private:
    HANDLE process_;
    char* base_ = nullptr;
};
}  // namespace

std::vector<std::string> ListViewHeadings(HWND list) {
    std::vector<std::string> headings;
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    constexpr SIZE_T kChars = 256;
    const RemoteMemory remote(ProcessOf(list), sizeof(HDITEMW) + kChars * sizeof(wchar_t));
    const int count = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; remote.At(0) && i < count; ++i) {
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = reinterpret_cast<wchar_t*>(remote.At(sizeof item));
        item.cchTextMax = static_cast<int>(kChars);
        remote.Write(0, &item, sizeof item);
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote.At(0)));
        wchar_t text[kChars] = {};
        remote.Read(sizeof item, text, (kChars - 1) * sizeof(wchar_t));
        headings.push_back(Narrow(text));
    }
    return headings;
}

void WakeFromSleep() { PostMessageA(HWND_BROADCAST, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0); }

void ChangeRegionalSettings() {
    // As Windows' own senders do: the wide call (Wine garbles a broadcast string of the ANSI one).
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
}

RECT MoveToDpi(HWND window, int fromDpi, int toDpi) {
    RECT before;
    GetWindowRect(window, &before);
    const RECT suggested{before.left, before.top, before.left + MulDiv(before.right - before.left, toDpi, fromDpi),
                         before.top + MulDiv(before.bottom - before.top, toDpi, fromDpi)};
    const RemoteMemory remote(ProcessOf(window), sizeof suggested);
    if (!remote.At(0)) return before;
    remote.Write(0, &suggested, sizeof suggested);
    PostMessageA(window, WM_DPICHANGED, MAKEWPARAM(toDpi, toDpi), reinterpret_cast<LPARAM>(remote.At(0)));
    WaitUntil([&] {
        RECT now;
        GetWindowRect(window, &now);
        return !EqualRect(&now, &before);
    });
    // The window may move in more than one step: a message sent now is
    // handled once it is back in its message loop, the move done.
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
    return suggested;
}

std::vector<Balloon> ReadBalloons() {
    std::vector<Balloon> balloons;
    for (HWND w : TopWindows(TOOLTIPS_CLASSA)) {
        if (!IsWindowVisible(w) || !(GetWindowLongA(w, GWL_STYLE) & TTS_BALLOON)) continue;
        const DWORD pid = ProcessOf(w);
        // The tool record, the title record, then the title's and the text's buffers.
        constexpr SIZE_T kChars = 512, kTool = 0, kTitle = 256, kTitleText = 512, kText = kTitleText + 2 * kChars,
                         kTotal = kText + 2 * kChars;
        const RemoteMemory remote(pid, kTotal);
        if (!remote.At(0)) continue;
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        remote.Write(kTool, &tool, sizeof tool);
        if (!SendMessageW(w, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(remote.At(kTool)))) continue;
        remote.Read(kTool, &tool, sizeof tool);
        tool.lpszText = reinterpret_cast<wchar_t*>(remote.At(kText));
        remote.Write(kTool, &tool, sizeof tool);
        SendMessageW(w, TTM_GETTEXTW, kChars, reinterpret_cast<LPARAM>(remote.At(kTool)));
        TTGETTITLE title{sizeof title, 0, kChars, reinterpret_cast<wchar_t*>(remote.At(kTitleText))};
        remote.Write(kTitle, &title, sizeof title);
        SendMessageW(w, TTM_GETTITLE, 0, reinterpret_cast<LPARAM>(remote.At(kTitle)));
        wchar_t text[kChars] = {}, heading[kChars] = {};
        remote.Read(kText, text, sizeof text - sizeof(wchar_t));
        remote.Read(kTitleText, heading, sizeof heading - sizeof(wchar_t));
        balloons.push_back({w, Narrow(heading), Narrow(text)});
    }
    return balloons;
}

std::vector<unsigned char> CaptureClient(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    const int width = client.right, height = client.bottom;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

void SaveShot(const std::string& folder, const char* name, const RECT* box) {
    SaveScreen(folder + name + ".bmp");
    if (!box) return;
    const RECT& r = *box;
    const std::string crop = std::to_string(r.right - r.left + 16) + "x" + std::to_string(r.bottom - r.top + 16) + "+" +
                             std::to_string(std::max(0L, r.left - 8)) + "+" + std::to_string(std::max(0L, r.top - 8));
    HANDLE f = CreateFileW(Wide(folder + name + ".crop").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(f, crop.data(), static_cast<DWORD>(crop.size()), &written, nullptr);
    CloseHandle(f);
}

bool Process::Start(const std::string& commandLine) {
    Kill();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring line = Wide(commandLine);
    return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_);
}

bool Process::Running() const { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

bool Process::WaitForExit(std::chrono::milliseconds timeout, DWORD* exitCode) const {
    if (!info_.hProcess) return true;
    const bool exited = WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
    if (exited && exitCode) GetExitCodeProcess(info_.hProcess, exitCode);
    return exited;
}

void Process::Kill() {
    if (!info_.hProcess) return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
    info_ = {};
}

bool ProcessRunning(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return false;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

DWORD RunAndWait(const std::string& commandLine, std::chrono::milliseconds timeout) {
    Process process;
    DWORD code = ~0u;
    if (!process.Start(commandLine) || !process.WaitForExit(timeout, &code)) return ~0u;
    return code;
}

std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

bool SaveScreen(const std::string& path) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((width * 3 + 3) & ~3), size = stride * height;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + size;
    bool ok = false;
    HANDLE out = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out != INVALID_HANDLE_VALUE) {
        DWORD written;
        ok = WriteFile(out, &file, sizeof file, &written, nullptr) &&
             WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
             WriteFile(out, bits, size, &written, nullptr);
        CloseHandle(out);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace driver
