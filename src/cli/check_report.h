// `morvane-cli --check`: reads START and END of the project, pairs them without stopping at
// the first difference and prints every difference found, as text for a person or as a JSON
// array for scripts and editors. Nothing is rendered and no file is written.
#pragma once

#include "cli/batch_run.h"
#include "engine/pairing.h"

#include <string>
#include <string_view>

namespace cli {

// One block per difference (the message, then START's and END's position and name), a blank
// line after each, "… and more" when differences were left out, then the count line.
std::string FormatCheckText(const mrv::CPairingCheck& check);

// A JSON array with one object per difference, in the order of the text:
//   {"id": 10158, "text": "...", "startPosition": "2-1", "startName": "b",
//    "endPosition": "2-1", "endName": "b"}
// A side without a figure has null position and name; the root's position is "". When
// differences were left out, a last object carries the "… and more" message with nulls.
std::string FormatCheckJson(const mrv::CPairingCheck& check);

// text as a JSON string literal with its quotes; bytes that are not UTF-8 become U+FFFD.
std::string JsonString(std::string_view text);

// The check for a loaded project (its --set already applied); returns the exit status:
// 0 when START and END can be animated, 1 when not or when a file cannot be read (the
// message on stderr), 130 when Ctrl-C stopped it.
int RunCheck(const mrv::CTaskSetting& task, bool json, CConsole& console,
             const CTerminable& terminator);

} // namespace cli
