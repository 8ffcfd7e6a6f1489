#pragma once

#include <optional>
#include <string>

#include "platform/SoundPlayer.h"
#include "platform/Tray.h"
#include "text/Message.h"

// Why the alarm cannot play path ("...\alarm.wav: no such file"); none when
// its file is a wave that Windows can play. An empty path is a silent alarm.
std::optional<Message> AlarmSoundProblem(const std::string& path, SoundPlayer& sound);

// Why Windows does not show a notification now, for the status line
// ("a full-screen program is running"); none when it shows it. quietTime:
// whether the notification gives way to the user's quiet time.
std::optional<Message> HeldBackReason(NotificationState state, bool quietTime);
