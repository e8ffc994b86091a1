// The one place that names the savers: the saver of a run's output format, filled with the
// output settings of the task.
#pragma once

#include "engine/task_setting.h"
#include "output/img_saver.h"

#include <boost/shared_ptr.hpp>

namespace mrv {

using ImgSaverPtr = boost::shared_ptr<CImgSaver>;

// PNG sequence, APNG, GIF sequence, animated GIF or animated WebP by DstFormat (any other
// value: PNG sequence), with folder, name, return trip, numbering, frame rate, loop count,
// changed-region frames and, for WebP, the quality copied from setting.
ImgSaverPtr CreateSaver(const CTaskSetting& setting);

} // namespace mrv
