// Any argument list, its start options written as the Run value's command
// line and read back by the C runtime's rules, gives the same options: the
// program starts with Windows as it was started, but for the language of one run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "CrtCommandLine.h"
#include "common/CommandLine.h"
#include "monitor/StartArguments.h"
#include "text/Languages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // NUL-separated pieces: the program's folder, then the arguments.
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            pieces.emplace_back();
        else
            pieces.back() += static_cast<char>(data[i]);
    }
    std::string folder;
    for (const char c : pieces[0])
        if (c != '"') folder += c;  // a path holds no quote
    const std::string program = "C:\\" + folder + "\\wendrel.exe";
    const StartArguments given = ParseStartArguments({pieces.begin() + 1, pieces.end()});
    if (given.error || given.help) return 0;  // the program explains them and ends: nothing to keep

    const std::vector<std::string> back = SplitLikeTheCRuntime(BuildCommandLine(program, given.startOptions));
    if (back.empty() || back[0] != program) std::abort();
    if (std::vector<std::string>(back.begin() + 1, back.end()) != given.startOptions) std::abort();
    const StartArguments again = ParseStartArguments({back.begin() + 1, back.end()});
    if (again.error || again.help) std::abort();
    if (again.statusUrl != given.statusUrl || again.timeout != given.timeout || again.startOptions != given.startOptions)
        std::abort();
    // --language is for one run: a language there is, never kept for starting with Windows.
    if (!given.language.empty() && !FindLanguage(given.language)) std::abort();
    if (!again.language.empty()) std::abort();
    return 0;
}
