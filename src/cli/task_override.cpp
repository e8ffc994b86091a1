#include "cli/task_override.h"

#include "cli/cli_text.h"
#include "cli/command_line.h"
#include "common/error.h"
#include "engine/task_setting_names.h"
#include "settings/xml_values.h"

#include <array>
#include <charconv>
#include <cmath>
#include <functional>

namespace cli {

namespace {

using mrv::CTaskSetting;

[[noreturn]] void BadValue(std::string_view name, std::string_view value, std::uint32_t reason) {
    throw CUsageError(Say(IDS_CLI_SET_BAD_VALUE, name, Say(reason), value));
}

// The whole text must be one whole number of the field's range, an optional sign and digits.
// The project reader drops a fraction and holds a huge number at the limit; on the command line
// "29.97" silently becoming 29 is a different setting than the one asked for, so it is refused.
std::int32_t ReadInt(std::string_view name, std::string_view value) {
    std::string_view digits = value;
    if (digits.starts_with('+')) {
        digits.remove_prefix(1); // from_chars takes "-" but not "+"
    }
    std::int32_t result = 0;
    const char* end = digits.data() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.data(), end, result);
    if (ec != std::errc() || ptr != end || (value.starts_with('+') && digits.starts_with('-'))) {
        std::string hint;
        if (name == "FrameRate") {
            hint = "\n" + Say(IDS_CLI_FRAME_RATE_HINT);
        }
        throw CUsageError(Say(IDS_CLI_SET_BAD_VALUE, name, Say(IDS_CLI_NOT_A_WHOLE_NUMBER), value) +
                          hint);
    }
    return result;
}

// The whole text must be one finite number. The project reader takes the number a text starts
// with and 0 for anything else; on the command line a mistyped value would then silently
// become 0, so it is refused instead.
double ReadDouble(std::string_view name, std::string_view value) {
    double result = 0;
    const char* end = value.data() + value.size();
    const auto [ptr, ec] = std::from_chars(value.data(), end, result);
    if (value.empty() || ec != std::errc() || ptr != end || !std::isfinite(result)) {
        BadValue(name, value, IDS_CLI_NOT_A_NUMBER);
    }
    return result;
}

// Names of enumerations and bit sets raise my::CException (IDS_ENUM_NAME_UNKNOWN with the type
// name), the message the project reader gives for the same text.
template <class F> auto ReadNamed(F read) {
    try {
        return read();
    } catch (const my::CException& e) {
        throw CUsageError(e.m_text);
    }
}

my::colord ReadColor(std::string_view name, std::string_view value) {
    std::array<double, 5> v{};
    std::size_t count = 0;
    std::string_view rest = value;
    while (true) {
        const std::size_t comma = rest.find(',');
        if (count == v.size()) {
            BadValue(name, value, IDS_CLI_NOT_FIVE_NUMBERS);
        }
        v[count++] = ReadDouble(name, rest.substr(0, comma));
        if (comma == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(comma + 1);
    }
    if (count != v.size()) {
        BadValue(name, value, IDS_CLI_NOT_FIVE_NUMBERS);
    }
    return my::colord(v[0], v[1], v[2], v[3], v[4]);
}

using Setter = std::function<void(CTaskSetting&, std::string_view name, std::string_view value,
                                  const std::string& base)>;

struct CField {
    std::string_view m_name;
    Setter m_set;
};

template <class E> Setter EnumSetter(void (CTaskSetting::*set)(E)) {
    return [set](CTaskSetting& t, std::string_view, std::string_view v, const std::string&) {
        (t.*set)(ReadNamed([v] { return mrv::FromName<E>(v); }));
    };
}
Setter FlagSetter(const mrv::CNameTable& names, void (CTaskSetting::*set)(std::uint32_t)) {
    return
        [&names, set](CTaskSetting& t, std::string_view, std::string_view v, const std::string&) {
            (t.*set)(ReadNamed([&] { return names.FlagsFromText(v); }));
        };
}
Setter IntSetter(void (CTaskSetting::*set)(std::int32_t)) {
    return [set](CTaskSetting& t, std::string_view n, std::string_view v, const std::string&) {
        (t.*set)(ReadInt(n, v));
    };
}
Setter DoubleSetter(void (CTaskSetting::*set)(double)) {
    return [set](CTaskSetting& t, std::string_view n, std::string_view v, const std::string&) {
        (t.*set)(ReadDouble(n, v));
    };
}
Setter PathSetter(void (CTaskSetting::*set)(std::string)) {
    return [set](CTaskSetting& t, std::string_view, std::string_view v, const std::string& base) {
        (t.*set)(xmlvalue::PathFromStored(base, std::string(v)));
    };
}
Setter BraceSetter(bool first) {
    return [first](CTaskSetting& t, std::string_view, std::string_view v, const std::string&) {
        CStringPair braces = t.GetPhaseBraces();
        (first ? braces.first : braces.second) = std::string(v);
        t.SetPhaseBraces(std::move(braces));
    };
}

const std::vector<CField>& Fields() {
    using T = CTaskSetting;
    static const std::vector<CField> fields = {
        {"Flags", FlagSetter(mrv::kTaskFlagNames, &T::SetFlags)},
        {"SrcPath0", PathSetter(&T::SetSrcPath0)},
        {"SrcPath1", PathSetter(&T::SetSrcPath1)},
        {"DstFormat", EnumSetter(&T::SetDstFormat)},
        {"DstFolder", PathSetter(&T::SetDstFolder)},
        {"DstName", [](T& t, std::string_view, std::string_view v,
                       const std::string&) { t.SetDstName(std::string(v)); }},
        {"StartNo", IntSetter(&T::SetStartNo)},
        {"Digits", IntSetter(&T::SetDigits)},
        {"InterFrameCount", IntSetter(&T::SetInterFrameCount)},
        {"RoundType", EnumSetter(&T::SetRoundType)},
        {"RoundFlags", FlagSetter(mrv::kRoundFlagNames, &T::SetRoundFlags)},
        {"InterpolateType", EnumSetter(&T::SetInterpolateType)},
        {"InterpolateAmp", DoubleSetter(&T::SetInterpolateAmp)},
        {"FrameRate", IntSetter(&T::SetFrameRate)},
        {"LoopCount", IntSetter(&T::SetLoopCount)},
        {"Width", IntSetter(&T::SetWidth)},
        {"Height", IntSetter(&T::SetHeight)},
        {"Dpi", DoubleSetter(&T::SetDpi)},
        {"BkColor", [](T& t, std::string_view n, std::string_view v,
                       const std::string&) { t.SetBkColor(ReadColor(n, v)); }},
        {"PhaseBraces.first", BraceSetter(true)},
        {"PhaseBraces.second", BraceSetter(false)},
        {"PhaseMultiple", DoubleSetter(&T::SetPhaseMultiple)},
        {"WebpQuality", IntSetter(&T::SetWebpQuality)},
    };
    return fields;
}

} // namespace

void ApplyOverride(CTaskSetting& task, std::string_view name, std::string_view value,
                   const std::string& baseFolder) {
    for (const CField& field : Fields()) {
        if (field.m_name == name) {
            // Every setter reads its value completely before it stores it, so a bad value
            // leaves the task as it was.
            field.m_set(task, name, value, baseFolder);
            return;
        }
    }
    std::string known;
    for (const CField& field : Fields()) {
        known += (known.empty() ? "" : ", ") + std::string(field.m_name);
    }
    throw CUsageError(Say(IDS_CLI_UNKNOWN_NAME, name, known));
}

std::vector<std::string_view> OverrideNames() {
    std::vector<std::string_view> names;
    for (const CField& field : Fields()) {
        names.push_back(field.m_name);
    }
    return names;
}

} // namespace cli
