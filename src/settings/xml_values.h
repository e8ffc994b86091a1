// Text forms of the values in settings and project files: integers, sizes, doubles, versions
// and paths, written by CXmlDocument and parsed back without regard to the process locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xmlvalue {

// An optional sign, digits, then optionally "." with or without digits (the fraction is
// dropped, not rounded). The integer part saturates at the 32-bit bounds. False when the text
// has another form ("1e3", "0x10", "", " 1").
[[nodiscard]] bool ParseInt32(std::string_view text, std::int32_t& value);
// The same without a minus sign; saturates at 2^32 - 1.
[[nodiscard]] bool ParseUInt32(std::string_view text, std::uint32_t& value);

// General notation with 6 significant digits, no trailing zeros: 0.5, 96, 1.23457e+06.
std::string FormatDouble(double value);
// The number the text starts with (after white space); 0 when it starts with none; whatever
// follows the number is ignored ("2.5px" gives 2.5).
double ParseLeadingDouble(std::string_view text);

// "a.b.c.d" from a packed version (a in the top byte).
std::string FormatVersion(std::uint32_t version);
// Four pieces separated by ".", each an integer 0..255; false otherwise.
[[nodiscard]] bool ParseVersion(std::string_view text, std::uint32_t& version);

// The text a path is stored as: relative to `base` ("./img/a.strk", "../q/b.strk") when both
// are absolute and base is not empty, else the path unchanged.
std::string PathToStored(const std::string& base, const std::string& path);
// The path a stored text stands for: a relative text (with "\" read as "/", as written by the
// Windows version) joined to `base` with its "." and ".." folded lexically, symbolic links left
// as they are; an absolute text, a drive-style text ("D:\x"), an empty text, or any text when
// base is empty, as it stands.
std::string PathFromStored(const std::string& base, const std::string& text);

} // namespace xmlvalue
