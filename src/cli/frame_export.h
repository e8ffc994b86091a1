// `morvane-cli --frame K --output FILE.png`: renders one output frame of the project's run
// through the engine's frame source (the frame the preview shows and Generate writes) and
// writes it as a PNG file the way the PNG sequence writes its frames.
#pragma once

#include "cli/batch_run.h"
#include "engine/task_setting.h"

#include <string>

namespace cli {

// Renders output frame `frame` (1 = the first) of the checked settings and writes it to path
// (replacing a file there). Returns the exit status: 0 written (the path is printed unless
// quiet), 1 when a drawing, the pairing, the rendering or the file failed, 2 when the run has
// no such frame, 130 when terminator asked to stop.
int ExportFrame(const mrv::CTaskSetting& task, int frame, const std::string& path, bool quiet,
                CConsole& console, const CTerminable& terminator);

} // namespace cli
