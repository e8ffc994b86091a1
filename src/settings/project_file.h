// Project files (.mrva): one mrv::CTaskSetting with its paths stored relative to the project
// file's own folder, so that a project moves together with its images.
#pragma once

#include "common/error.h"
#include "engine/task_setting.h"

#include <string>

// Reads the project at `path`. `task` changes only when the whole file was read; otherwise
// `err` holds the first failure and `task` is as it was.
[[nodiscard]] bool LoadProject(const std::string& path, mrv::CTaskSetting& task, CSimpleErr& err);

// Writes `task` to `path`; the previous file stays intact when anything fails.
[[nodiscard]] bool SaveProject(const std::string& path, const mrv::CTaskSetting& task,
                               CSimpleErr& err);
