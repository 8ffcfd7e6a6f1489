#include "text/Texts.h"

#include <cstdio>
#include <vector>

#include "text/Languages.h"

namespace {
template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;
}  // namespace

const Count* Message::PluralCount() const {
    for (const Arg& arg : args_)
        if (const Count* count = std::get_if<Count>(&arg.value)) return count;
    return nullptr;
}

bool Message::operator==(const Message& other) const {
    if (id_ != other.id_ || args_.size() != other.args_.size()) return false;
    for (std::size_t i = 0; i < args_.size(); ++i) {
        const auto* nested = std::get_if<std::shared_ptr<const Message>>(&args_[i].value);
        const auto* otherNested = std::get_if<std::shared_ptr<const Message>>(&other.args_[i].value);
        if (nested && otherNested ? !(*nested && *otherNested ? **nested == **otherNested : *nested == *otherNested)
                                  : args_[i].value != other.args_[i].value)
            return false;
    }
    return true;
}

Texts::Texts(const LocaleFormat& format) : Texts(format, EnglishCatalogue()) {}

Texts::Texts(const LocaleFormat& format, const Catalogue& language) : format_(&format), language_(&language) {}

std::string_view Texts::Template(Msg id, std::uint64_t count) const {
    const std::string_view text = language_->Text(id, count);
    return text.empty() ? EnglishCatalogue().Text(id, count) : text;
}

std::string Texts::operator()(const Message& message) const {
    const Count* count = message.PluralCount();
    // A negative count takes the form of its size.
    const auto n = count ? static_cast<std::uint64_t>(count->value < 0 ? -count->value : count->value) : 1;
    std::vector<std::string> values;
    values.reserve(message.Args().size());
    for (const Arg& arg : message.Args()) values.push_back(Value(arg));
    return Substitute(Template(message.Id(), n), values);
}

std::string Texts::Value(const Arg& arg) const {
    return std::visit(
        Overloaded{[](const Verbatim& text) { return text; },
                   [this](Int v) { return format_->Integer(v.value); },
                   [this](Count v) { return format_->Integer(v.value); },
                   [this](Decimal v) { return format_->Decimal(v.value, v.digits); },
                   [this](TimeOfDay v) { return format_->Time(v.hour, v.minute, v.second); },
                   [this](DayName v) { return format_->DayName(v.weekday, v.abbreviated, language_->code); },
                   [this](const std::shared_ptr<const Message>& nested) {
                       return nested ? (*this)(*nested) : std::string();
                   }},
        arg.value);
}

std::string Substitute(std::string_view text, std::span<const std::string> values) {
    std::string out;
    out.reserve(text.size() + 16);
    for (std::size_t i = 0; i < text.size();) {
        // "{1}" to "{99}", without leading zeros.
        if (text[i] == '{' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            std::size_t n = 0, j = i + 1;
            while (j < text.size() && j < i + 3 && text[j] >= '0' && text[j] <= '9') n = n * 10 + (text[j++] - '0');
            if (j < text.size() && text[j] == '}' && n <= values.size()) {
                out += values[n - 1];
                i = j + 1;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

std::string InvariantFormat::Integer(std::int64_t value) const { return std::to_string(value); }

std::string InvariantFormat::Decimal(double value, int digits) const {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", digits < 0 ? 0 : digits > 9 ? 9 : digits, value);
    return text;
}

std::string InvariantFormat::Time(int hour, int minute, int second) const {
    char text[32];
    if (minute < 0)
        std::snprintf(text, sizeof text, "%d", hour);
    else if (second < 0)
        std::snprintf(text, sizeof text, "%02d:%02d", hour, minute);
    else
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", hour, minute, second);
    return text;
}

std::string InvariantFormat::DayName(int weekday, bool abbreviated, std::string_view) const {
    static constexpr const char* kNames[] = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                             "Friday", "Saturday", "Sunday"};
    const std::string name = kNames[((weekday % 7) + 7) % 7];
    return abbreviated ? name.substr(0, 3) : name;
}

const Texts& EnglishTexts() {
    static const InvariantFormat format;
    static const Texts texts(format);
    return texts;
}

std::string InEnglish(const Message& message) { return EnglishTexts()(message); }
