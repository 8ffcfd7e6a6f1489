#include "monitor/AlarmChecks.h"

#include "common/WaveFile.h"

std::optional<Message> AlarmSoundProblem(const std::string& path, SoundPlayer& sound) {
    if (path.empty()) return Message(Msg::OptionsTestNoSound);
    const std::string file = sound.FileFor(path);
    std::string head, error;
    std::uint64_t size = 0;
    switch (sound.ReadStart(file, kWaveHeadSize, head, size, error)) {
        case FileRead::Missing: return Message(Msg::OptionsTestNoFile, file);
        case FileRead::Failed: return Message(Msg::OptionsTestUnreadable, file, error);
        case FileRead::Read: break;
    }
    if (CheckWave(head, size).verdict != WaveVerdict::Playable) return Message(Msg::OptionsTestNotWave, file);
    return std::nullopt;
}

std::optional<Message> HeldBackReason(NotificationState state, bool quietTime) {
    switch (state) {
        case NotificationState::NotPresent: return Message(Msg::NotifyHeldNotPresent);
        case NotificationState::Busy: return Message(Msg::NotifyHeldBusy);
        case NotificationState::FullScreenD3D: return Message(Msg::NotifyHeldFullScreenD3D);
        case NotificationState::Presentation: return Message(Msg::NotifyHeldPresentation);
        case NotificationState::QuietTime:
            if (quietTime) return Message(Msg::NotifyHeldQuietTime);
            return std::nullopt;
        case NotificationState::App: return Message(Msg::NotifyHeldApp);
        case NotificationState::Accepted:
        case NotificationState::Unknown: return std::nullopt;
    }
    return std::nullopt;
}
