// The mission rewrite, on any bytes: every line ends with CR LF afterwards,
// lines are neither lost nor added, and a second rewrite changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "missions/MissionSorter.h"

namespace {
std::size_t CountLines(const std::string& text) {
    std::size_t lines = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++lines;
    }
    if (!text.empty() && text.back() != '\n' && text.back() != '\r') ++lines;
    return lines;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace std::chrono;
    const std::string content(reinterpret_cast<const char*>(data), size);
    const year_month_day date{year{1940}, December, day{31}};
    const std::string once = RewriteMission(content, date);
    if (CountLines(once) != CountLines(content)) std::abort();
    if (!once.empty() && (once.size() < 2 || once.compare(once.size() - 2, 2, "\r\n") != 0)) std::abort();
    for (std::size_t i = 0; i < once.size(); ++i) {
        if (once[i] == '\n' && (i == 0 || once[i - 1] != '\r')) std::abort();
        if (once[i] == '\r' && (i + 1 >= once.size() || once[i + 1] != '\n')) std::abort();
    }
    if (RewriteMission(once, date) != once) std::abort();
    // A single line through the date-line rewrite alone.
    const std::string line = content.substr(0, content.find_first_of("\r\n"));
    if (line.find("msnDate") != std::string::npos) {
        const std::string rewritten = NewDateLine(line, date);
        if (rewritten.find("msnDate \"12/31/1940\"  ") == std::string::npos) std::abort();
        if (NewDateLine(rewritten, date) != rewritten) std::abort();
    }
    return 0;
}
