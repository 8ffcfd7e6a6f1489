#include "win32/Win32Sound.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>

#include "common/SoundPath.h"
#include "win32/Files.h"
#include "win32/Handles.h"
#include "win32/ProgramPaths.h"
#include "win32/SystemLibrary.h"
#include "win32/TextConversion.h"
#include "win32/WinError.h"

// The core's names for the sound's values.
static_assert(kSndFilename == SND_FILENAME && kSndNoDefault == SND_NODEFAULT && kSndAsync == SND_ASYNC);

namespace {
UniqueFile OpenForReading(const std::wstring& file) {
    return UniqueFile(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
}
}  // namespace

std::string Win32Sound::FileFor(const std::string& path) {
    return ResolveSoundPath(path, ProgramFolder(), [](const std::string& p) {
        const DWORD attributes = GetFileAttributesW(Wide(p, CP_UTF8).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    });
}

FileRead Win32Sound::ReadStart(const std::string& file, std::size_t count, std::string& bytes, std::uint64_t& size,
                               std::string& error) {
    const std::wstring wide = Wide(file, CP_UTF8);
    // A folder of that name is no sound file: as missing as no name at all.
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return FileRead::Missing;
    const UniqueFile handle = OpenForReading(wide);
    if (!handle) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME)
            return FileRead::Missing;
        error = SystemErrorText(code);
        return FileRead::Failed;
    }
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(handle.get(), &length)) return FailWithLastError(error), FileRead::Failed;
    size = static_cast<std::uint64_t>(length.QuadPart);
    bytes.assign(static_cast<std::size_t>(std::min<std::uint64_t>(count, size)), '\0');
    return ReadAll(handle.get(), bytes, error) ? FileRead::Read : FileRead::Failed;
}

void Win32Sound::Play(const std::string& path, std::uint32_t flags) {
    const std::string file = FileFor(path);
    const std::wstring wide = Wide(file, CP_UTF8);
    if (log_) {
        const UniqueFile probe = OpenForReading(wide);
        const DWORD error = GetLastError();
        if (!probe) {
            log_->Write("sound: cannot open \"" + file + "\": " + SystemErrorText(error));
        } else {
            log_->Write("sound: playing \"" + file + "\"");
        }
    }
    using PlaySoundFunction = BOOL(WINAPI*)(LPCWSTR, HMODULE, DWORD);
    static const auto playSound = SystemFunction<PlaySoundFunction>(LoadSystemLibrary("winmm.dll"), "PlaySoundW");
    if (playSound) playSound(wide.c_str(), nullptr, flags);
}
