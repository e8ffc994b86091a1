#include "cli/progress_line.h"

#include "cli/cli_text.h"

#include <algorithm>
#include <cstdio>

namespace cli {

namespace {

constexpr int kBarWidth = 30;

} // namespace

std::string FormatDuration(std::chrono::milliseconds duration) {
    const long long seconds = std::max<long long>(0, duration.count() / 1000);
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    }
    return text;
}

std::string FormatProgress(int position, int total, std::chrono::milliseconds elapsed) {
    // The task reports -1 while idle and may briefly read past a total it is about to raise.
    const int pos = total < 1 ? 0 : std::clamp(position, 0, total);
    const int filled =
        total < 1 ? 0 : static_cast<int>(static_cast<long long>(pos) * kBarWidth / total);
    std::string line = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "]";
    line += "  " + std::to_string(pos) + "/" + std::to_string(std::max(total, 0));
    line += "  " + Say(IDS_CLI_ELAPSED, FormatDuration(elapsed));
    std::string left = "--:--";
    if (pos > 0 && total >= 1) {
        const long long ms = elapsed.count() * (total - pos) / pos;
        left = FormatDuration(std::chrono::milliseconds(ms));
    }
    line += "  " + Say(IDS_CLI_LEFT, left);
    return line;
}

} // namespace cli
