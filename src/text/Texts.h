#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/LocaleFormat.h"
#include "text/Catalogue.h"
#include "text/Message.h"

// Writes messages in one language: the catalogue's words, a placeholder
// "{n}" replaced by the n-th value, numbers and times as format writes them.
// A text the language lacks is taken from English.
class Texts {
public:
    explicit Texts(const LocaleFormat& format);
    Texts(const LocaleFormat& format, const Catalogue& language);

    void Use(const Catalogue& language) { language_ = &language; }
    const Catalogue& Language() const { return *language_; }

    std::string operator()(const Message& message) const;

    // A message's text with its placeholders: for tests and the fit check.
    std::string_view Template(Msg id, std::uint64_t count = 1) const;
    // One value as the language writes it: a picture's number, time or day label.
    std::string Value(const Arg& arg) const;

private:
    const LocaleFormat* format_;
    const Catalogue* language_;
};

// English words, numbers without grouping and a 24-hour clock: the log's
// way, the same on every computer.
class InvariantFormat : public LocaleFormat {
public:
    std::string Integer(std::int64_t value) const override;
    std::string Decimal(double value, int digits) const override;
    std::string Time(int hour, int minute, int second) const override;
    std::string DayName(int weekday, bool abbreviated, std::string_view language) const override;
};

// English with the log's numbers and times: what speaks where no language was chosen (tests).
const Texts& EnglishTexts();

// A message in English, for the log.
std::string InEnglish(const Message& message);

// Replaces each "{n}" in text by values[n - 1]; a placeholder without its
// value stays as it is, so that it shows.
std::string Substitute(std::string_view text, std::span<const std::string> values);
