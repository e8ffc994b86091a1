// libFuzzer target: bytes read as a project file (.mrva), through the same LoadProject that the
// Open command and morvane-cli use. A refusal must come with a message; a project that loads
// must save and load back to the same settings (paths up to their lexical form). Anything else (a
// crash, a hang, an exception other than my::CException) is a finding.
#include "common/error.h"
#include "settings/project_file.h"
#include "support/temp_folder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string Normal(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    std::filesystem::path normal = std::filesystem::path(path).lexically_normal();
    if (!normal.has_filename() && normal != normal.root_path()) {
        normal = normal.parent_path(); // "/b/c/" names the folder "/b/c"
    }
    return normal.string();
}

// Paths are written relative to the project's folder, so they come back in their lexically
// normal form ("/a/../b/./c" as "/b/c") and without a closing separator.
mrv::CTaskSetting WithNormalPaths(mrv::CTaskSetting task) {
    task.SetSrcPath0(Normal(task.GetSrcPath0()));
    task.SetSrcPath1(Normal(task.GetSrcPath1()));
    task.SetDstFolder(Normal(task.GetDstFolder()));
    return task;
}

void WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    if (!out) {
        std::abort(); // the harness itself failed, not the reader
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const morvane::test::CTempFolder folder;
    const std::string input = folder / "input.mrva";
    WriteInput(input, data, size);
    try {
        mrv::CTaskSetting task;
        CSimpleErr err;
        if (!LoadProject(input, task, err)) {
            if (!err.HasError() || err.m_text.empty()) {
                std::abort(); // refused without saying why
            }
            return 0;
        }
        mrv::CTaskSetting again;
        const std::string copy = folder / "copy.mrva";
        if (!SaveProject(copy, task, err) || !LoadProject(copy, again, err) ||
            !(WithNormalPaths(again) == WithNormalPaths(task))) {
            std::abort(); // what was read does not survive a save
        }
    } catch (const my::CException&) {
        // Refusing bad input with a message is an expected outcome.
    }
    return 0;
}
