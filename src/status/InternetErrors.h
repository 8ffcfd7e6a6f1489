#pragma once

#include <cstdint>
#include <optional>

#include "text/Messages.h"

// The program's words for an error of Windows' internet functions (WinINet,
// 12001 to 12175): a Net message; none for a code it has no words for.
// Windows has texts for most of them in wininet.dll, Wine for a dozen; and a
// certificate error must tell a player what is wrong, in the same words
// everywhere and in the language of the rest of the status line.
std::optional<Msg> InternetErrorMessage(std::uint32_t code);

// Whether code is a WinINet error.
constexpr bool IsInternetError(std::uint32_t code) { return code > 12000 && code <= 12175; }
