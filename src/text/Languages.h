#pragma once

#include <span>
#include <string>
#include <string_view>

#include "text/Catalogue.h"

const Catalogue& EnglishCatalogue();
// The languages a player can choose in Options: English first, then the
// translations (not the test language).
std::span<const Catalogue> OfferedLanguages();
// The catalogue whose code is code ("de", "qps-ploc"; any case); none when none is.
const Catalogue* FindLanguage(std::string_view code);
// The catalogue that speaks code: the one of that code, else the offered
// language of another region of it ("de-AT", "DE_ch" get de); none when none
// does. The test language goes only by its own code.
const Catalogue* SpokenLanguage(std::string_view code);
// The language to speak: the one the stored choice speaks (as SpokenLanguage),
// else the first of Windows' display languages ("de-AT", "en-US", most wanted first) that one
// catalogue speaks, in that region or another (de-AT gets de), else English.
const Catalogue& ChooseLanguage(std::string_view stored, std::span<const std::string> windowsLanguages);
