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

// One value of a message.
struct Arg {
    using Value = std::variant<Verbatim, Int, Count, Decimal, TimeOfDay, DayName, std::shared_ptr<const Message>>;
    Value value;

    Arg(std::string text) : value(std::move(text)) {}  // NOLINT: each converts, as a value of a message
    Arg(std::string_view text) : value(std::string(text)) {}  // NOLINT
    Arg(const char*) = delete;  // a literal would be English that escapes the catalogue
    template <std::integral I>
    Arg(I number) : value(Int{static_cast<std::int64_t>(number)}) {}  // NOLINT
    Arg(Int v) : value(v) {}                                           // NOLINT
    Arg(Count v) : value(v) {}                                         // NOLINT
    Arg(Decimal v) : value(v) {}                                       // NOLINT
    Arg(TimeOfDay v) : value(v) {}                                     // NOLINT
    Arg(DayName v) : value(v) {}                                       // NOLINT
    Arg(const Message& nested);                                        // NOLINT
};

class Message {
public:
    Message(Msg id) : id_(id) {}  // NOLINT: a message without values converts
    template <typename... Args>
    explicit Message(Msg id, Args&&... args) : id_(id) {
        args_.reserve(sizeof...(Args));
        (args_.emplace_back(std::forward<Args>(args)), ...);
    }
    // A message whose values were gathered one by one.
    explicit Message(Msg id, std::vector<Arg> args) : id_(id), args_(std::move(args)) {}

    Msg Id() const { return id_; }
    const std::vector<Arg>& Args() const { return args_; }
    // The count of the first Count value; none without one.
    const Count* PluralCount() const;
    // The same message with the same values (nested messages compared by what they say).
    bool operator==(const Message& other) const;

private:
    Msg id_;
    std::vector<Arg> args_;
};

inline Arg::Arg(const Message& nested) : value(std::make_shared<const Message>(nested)) {}
