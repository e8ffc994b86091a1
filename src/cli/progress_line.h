// The progress line the batch command redraws on a terminal's stderr while the task runs:
// a bar, the task's progress position over its total, the time so far and an estimate of
// the time left.
#pragma once

#include <chrono>
#include <string>

namespace cli {

// One line without its carriage return, e.g.
// "[#########...................]  12/34  0:03 elapsed  0:06 left". A total below 1 (not yet
// known) shows an empty bar; the estimate needs some progress and is "--:--" until then.
std::string FormatProgress(int position, int total, std::chrono::milliseconds elapsed);

// "m:ss", or "h:mm:ss" from an hour on.
std::string FormatDuration(std::chrono::milliseconds duration);

} // namespace cli
