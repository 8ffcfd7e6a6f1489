// One paint of the History window's pictures over 90 days of one record a
// minute, into an off-screen bitmap as the window paints: the aim is under
// 16 ms. Prints the mean and the slowest of 200 paints, and the time the
// figures took to work out.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "history/PlayerHistory.h"
#include "win32/Handles.h"
#include "win32/HistoryWindow.h"
#include "win32/Win32Clock.h"
#include "win32/Win32LocaleFormat.h"

namespace {

class FullHistoryFile : public HistoryFile {
public:
    std::string Path() const override { return "bench"; }
    bool Read(std::string_view, std::string& text, std::string&) override {
        std::vector<HistoryRecord> records;
        for (std::int64_t t = now - 90 * 86400 + 60; t < now; t += 60)
            records.push_back({t, (t / 3600) % 97 == 0 ? std::nullopt : std::optional<std::int32_t>(t / 60 % 23)});
        text = FormatHistory(records);
        return true;
    }
    bool Append(std::string_view, const std::string&, std::string&) override { return true; }
    bool Replace(std::string_view, const std::string&, std::string&) override { return true; }
    std::int64_t now = 0;
};

}  // namespace

int main() {
    using Clock = std::chrono::steady_clock;
    Win32Clock clock;
    FullHistoryFile file;
    file.now = clock.UtcNow();
    PlayerHistory history(file);
    history.Load(file.now);
    // The words as the player's Windows writes them: worked out with the figures, not at each paint.
    const LocaleFormat& format = WindowsLocaleFormat();
    const Texts texts(format);
    HistoryWindow window(history, clock, texts);
    window.SetThreshold([] { return 5; });

    const auto figuresStart = Clock::now();
    window.Recompute();
    const double figuresMs = std::chrono::duration<double, std::milli>(Clock::now() - figuresStart).count();

    const int width = 700, height = 520, paints = 200;
    const UniqueScreenDc screen(GetDC(nullptr));
    const UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
    const UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    const UniqueSelection target = Select(memory.get(), bitmap.get());
    double total = 0, slowest = 0;
    for (int i = 0; i < paints; ++i) {
        const auto start = Clock::now();
        window.Render(memory.get(), width, height);
        GdiFlush();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        total += ms;
        slowest = std::max(slowest, ms);
    }
    std::printf(
        "History window, %zu records: figures %.1f ms; one paint of %dx%d: mean %.2f ms, slowest %.2f ms "
        "(aim: under 16 ms)\n",
        history.Records().size(), figuresMs, width, height, total / paints, slowest);
    return 0;
}
