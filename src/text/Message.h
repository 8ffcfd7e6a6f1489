#pragma once

#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "text/Messages.h"

// What the program tells the player: a message of the catalogue and its
// values. The words come from the player's language when it is shown
// (Texts), and in English for the log.

// A number in the player's way of writing it.
struct Int {
    std::int64_t value;
    bool operator==(const Int&) const = default;
};
// The number that chooses the message's plural form ("1 player", "2 players"),
// written as Int is. A message's first Count decides.
struct Count {
    std::int64_t value;
    bool operator==(const Count&) const = default;
};
struct Decimal {
    double value;
    int digits = 1;
    bool operator==(const Decimal&) const = default;
};
// A time of day, with or without its seconds, on the player's clock (12 or
// 24 hours); a minute below 0 is the hour alone ("19", "7 PM").
struct TimeOfDay {
    int hour = 0, minute = 0, second = -1;
    bool operator==(const TimeOfDay&) const = default;
};
// A weekday's name on its own: 0 Monday … 6 Sunday; abbreviated ("Wed") for
// a picture's labels.
struct DayName {
    int weekday = 0;
    bool abbreviated = false;
    bool operator==(const DayName&) const = default;
};

class Message;
// Text that is shown as it is: a path, a host, a server's or Windows' own words.
using Verbatim = std::string;
using Arg = std::variant<Verbatim, Int, Count, Decimal, TimeOfDay, DayName, std::shared_ptr<const Message>>;

class Message {
public:
    Message(Msg id) : id_(id) {}  // NOLINT: a message without values converts
    template <typename... Args>
    explicit Message(Msg id, Args&&... args) : id_(id) {
        args_.reserve(sizeof...(Args));
        (Add(std::forward<Args>(args)), ...);
    }

    Msg Id() const { return id_; }
    const std::vector<Arg>& Args() const { return args_; }
    // The count of the first Count value; none without one.
    const Count* PluralCount() const;
    // The same message with the same values (nested messages compared by what they say).
    bool operator==(const Message& other) const;

private:
    void Add(const Message& nested) { args_.emplace_back(std::make_shared<const Message>(nested)); }
    void Add(Message&& nested) { args_.emplace_back(std::make_shared<const Message>(std::move(nested))); }
    void Add(std::string text) { args_.emplace_back(std::move(text)); }
    void Add(std::string_view text) { args_.emplace_back(std::string(text)); }
    // A literal would be English that escapes the catalogue.
    void Add(const char*) = delete;
    template <std::integral I>
    void Add(I value) { args_.emplace_back(Int{static_cast<std::int64_t>(value)}); }
    void Add(Int v) { args_.emplace_back(v); }
    void Add(Count v) { args_.emplace_back(v); }
    void Add(Decimal v) { args_.emplace_back(v); }
    void Add(TimeOfDay v) { args_.emplace_back(v); }
    void Add(DayName v) { args_.emplace_back(v); }

    Msg id_;
    std::vector<Arg> args_;
};
