#pragma once

#include <cstdint>

#include "text/Message.h"

// "1 player", "14 players": a number of players, in the words of the language shown.
inline Message Players(std::int64_t count) { return Message(Msg::CommonPlayers, Count{count}); }
