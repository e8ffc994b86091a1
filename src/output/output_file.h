// codec::COutputFile: one output file, written through the replace-file primitive so that a
// stopped or failed run never leaves a truncated image; and the check of a run's folder.
#pragma once

#include "platform/replace_file.h"

#include <string>
#include <vector>

namespace codec {

// An output image under its temporary name until Commit (see io::CReplaceFile).
using COutputFile = io::CReplaceFile;

// Readies the folder of an output run before anything is rendered, so that a run that cannot
// write learns it at once: removes what killed runs left there (io::RemoveStaleTempFiles),
// then creates and drops a temporary file for the first path and for the one with the longest
// name, raising IDS_FILE_CREATE_FAILED as COutputFile does. paths are the run's outputs, all
// in one folder; none of them is touched.
void PrepareOutputFolder(const std::vector<std::string>& paths);

} // namespace codec
