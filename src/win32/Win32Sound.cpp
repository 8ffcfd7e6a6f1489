#include "win32/Win32Sound.h"

#include <windows.h>
#include <mmsystem.h>

#include "common/SoundPath.h"
#include "win32/Handles.h"
#include "win32/ProgramPaths.h"
#include "win32/SystemLibrary.h"
#include "win32/TextConversion.h"
#include "win32/WinError.h"

// The core's names for the sound's values.
static_assert(kSndFilename == SND_FILENAME && kSndNoDefault == SND_NODEFAULT && kSndAsync == SND_ASYNC);

void Win32Sound::Play(const std::string& path, std::uint32_t flags) {
    const std::string file = ResolveSoundPath(path, ProgramFolder(), [](const std::string& p) {
        const DWORD attributes = GetFileAttributesW(Wide(p, CP_UTF8).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    });
    const std::wstring wide = Wide(file, CP_UTF8);
    if (log_) {
        const UniqueFile probe(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
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
