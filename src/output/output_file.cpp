#include "output/output_file.h"

#include "platform/path.h"

#include <algorithm>

namespace codec {

void PrepareOutputFolder(const std::vector<std::string>& paths) {
    if (paths.empty()) {
        return;
    }
    io::RemoveStaleTempFiles(my::FolderOf(paths.front()));
    { const COutputFile first(paths.front()); }
    // A sequence's names grow with their numbers: the longest is the one that may not fit.
    const auto nameLength = [](const std::string& path) { return my::FileNameOf(path).size(); };
    const auto longest =
        std::max_element(paths.begin(), paths.end(), [&](const auto& a, const auto& b) {
            return nameLength(a) < nameLength(b);
        });
    if (nameLength(*longest) > nameLength(paths.front())) {
        const COutputFile last(*longest);
    }
}

} // namespace codec
