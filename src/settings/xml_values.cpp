#include "settings/xml_values.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <locale.h>

namespace xmlvalue {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Parses sign, digits and the optional fraction; the magnitude saturates at `limit`.
bool ParseDecimal(std::string_view text, bool allowMinus, std::uint64_t limit, bool& negative,
                  std::uint64_t& magnitude) {
    std::size_t pos = 0;
    negative = false;
    if (pos < text.size() && (text[pos] == '+' || (allowMinus && text[pos] == '-'))) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t digitsStart = pos;
    magnitude = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        magnitude = std::min(limit, magnitude * 10 + static_cast<unsigned>(text[pos] - '0'));
    }
    if (pos == digitsStart) {
        return false;
    }
    if (pos < text.size() && text[pos] == '.') {
        // The fraction: nothing or digits only.
        for (++pos; pos < text.size(); ++pos) {
            if (!IsDigit(text[pos])) {
                return false;
            }
        }
    }
    return pos == text.size();
}

// Folders and files on drives of another system ("D:\x", "\\server\share", "\x") have no
// meaning relative to a Linux folder; they are kept as written.
bool IsForeignRooted(std::string_view text) {
    const bool drive = text.size() >= 2 && text[1] == ':' &&
                       ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z')) &&
                       (text.size() == 2 || text[2] == '\\' || text[2] == '/');
    return drive || text.starts_with('\\');
}

std::filesystem::path FolderPath(const std::string& base) {
    std::string folder = base;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return std::filesystem::path(folder).lexically_normal();
}

} // namespace

bool ParseInt32(std::string_view text, std::int32_t& value) {
    bool negative = false;
    std::uint64_t magnitude = 0;
    const std::uint64_t limit = std::uint64_t{1} << 31;
    if (!ParseDecimal(text, true, limit, negative, magnitude)) {
        return false;
    }
    if (negative) {
        value = static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
    } else {
        value = static_cast<std::int32_t>(std::min(magnitude, limit - 1));
    }
    return true;
}

bool ParseUInt32(std::string_view text, std::uint32_t& value) {
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (!ParseDecimal(text, false, std::numeric_limits<std::uint32_t>::max(), negative,
                      magnitude)) {
        return false;
    }
    value = static_cast<std::uint32_t>(magnitude);
    return true;
}

std::string FormatDouble(double value) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return std::string(buffer, result.ptr);
}

double ParseLeadingDouble(std::string_view text) {
    // strtod in the C locale: the decimal point is "." whatever locale the application set.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    const std::string copy(text);
    return strtod_l(copy.c_str(), nullptr, cLocale);
}

std::string FormatVersion(std::uint32_t version) {
    return std::to_string(version >> 24) + "." + std::to_string((version >> 16) & 0xFF) + "." +
           std::to_string((version >> 8) & 0xFF) + "." + std::to_string(version & 0xFF);
}

bool ParseVersion(std::string_view text, std::uint32_t& version) {
    std::uint32_t packed = 0;
    int pieces = 0;
    while (true) {
        const std::size_t dot = text.find('.');
        std::int32_t piece = 0;
        if (++pieces > 4 || !ParseInt32(text.substr(0, dot), piece) || piece < 0 || piece > 255) {
            return false;
        }
        packed = (packed << 8) | static_cast<std::uint32_t>(piece);
        if (dot == std::string_view::npos) {
            break;
        }
        text.remove_prefix(dot + 1);
    }
    if (pieces != 4) {
        return false;
    }
    version = packed;
    return true;
}

std::string PathToStored(const std::string& base, const std::string& path) {
    if (base.empty() || !path.starts_with('/') || !base.starts_with('/')) {
        return path;
    }
    const std::filesystem::path relative =
        std::filesystem::path(path).lexically_normal().lexically_relative(FolderPath(base));
    if (relative.empty()) {
        return path;
    }
    const std::string text = relative.string();
    if (text == "." || text == ".." || text.starts_with("../")) {
        return text;
    }
    return "./" + text;
}

std::string PathFromStored(const std::string& base, const std::string& text) {
    if (base.empty() || text.empty() || text.starts_with('/') || IsForeignRooted(text)) {
        return text;
    }
    std::string relative = text;
    for (char& c : relative) {
        if (c == '\\') {
            c = '/';
        }
    }
    // Only "." and ".." are folded, by the text: symbolic links are not followed, so that the
    // path stays the one the user gave and is written back the same way.
    std::string joined = (FolderPath(base) / relative).lexically_normal().string();
    if (joined.size() > 1 && joined.back() == '/') {
        joined.pop_back();
    }
    return joined;
}

} // namespace xmlvalue
