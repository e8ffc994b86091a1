// A fresh folder under the system's temporary folder for one test, removed with its contents
// when the object goes; paths inside it as paths or as texts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::test {

class CTempFolder {
public:
    // Made with mkdtemp under $TMPDIR (else /tmp) and canonical, so that paths built from it
    // carry no link and no "..".
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string Str() const { return m_path.string(); }
    // A path inside the folder, as text: folder / "a/b.mrva".
    std::string operator/(std::string_view relative) const;

    // Names of the entries directly in the folder, sorted; hidden ones included.
    std::vector<std::string> Files() const;
    // Writes a file (its folder must exist) and returns its path.
    std::string Write(const std::filesystem::path& relative,
                      const std::vector<std::uint8_t>& bytes) const;

private:
    std::filesystem::path m_path;
};

} // namespace morvane::test
