// `--set NAME=VALUE`: one field of the task setting changed from the command line, NAME being
// the field's element name in the project file and VALUE its text there.
#pragma once

#include "engine/task_setting.h"

#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Sets the field NAME of `task` from VALUE. Relative paths are resolved against
// `baseFolder` (the current folder). An unknown NAME or a value that does not read as the
// field's type raises CUsageError; the task is unchanged then.
void ApplyOverride(mrv::CTaskSetting& task, std::string_view name, std::string_view value,
                   const std::string& baseFolder);

// Every NAME ApplyOverride accepts, in the project file's order.
std::vector<std::string_view> OverrideNames();

} // namespace cli
