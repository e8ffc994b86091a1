#include "platform/color_profile.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "platform/file_input_stream.h"
#include "platform/lcms_support.h"

#include <algorithm>
#include <cwchar>
#include <optional>
#include <utility>

struct CColorProfile::COpened {
    icm::CLcmsContext context; // declared first: the handle must be closed before it goes
    icm::ProfileHandle handle;
};

namespace {

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

std::u16string FromWide(const wchar_t* text, std::size_t length) {
    std::u16string out;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        auto c = static_cast<std::uint32_t>(text[i]);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            c = 0xFFFD;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(char16_t(0xD800 + (c >> 10)));
            out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(char16_t(c));
        }
    }
    return out;
}

// The text of an ICC v4 multi-localised description, English preferred.
std::optional<std::u16string> LocalizedDescription(cmsHPROFILE profile) {
    const auto* mlu = static_cast<const cmsMLU*>(cmsReadTag(profile, cmsSigProfileDescriptionTag));
    if (mlu == nullptr) {
        return std::nullopt;
    }
    const cmsUInt32Number bytes = cmsMLUgetWide(mlu, "en", "US", nullptr, 0);
    if (bytes < sizeof(wchar_t)) {
        return std::nullopt;
    }
    std::vector<wchar_t> text(bytes / sizeof(wchar_t));
    cmsMLUgetWide(mlu, "en", "US", text.data(), bytes);
    return FromWide(text.data(), std::wcslen(text.data()));
}

// The profile's name from its "desc" tag. A v2 text description holds a big-endian count at
// byte 8 and count - 1 ASCII characters from byte 12, which must lie inside the tag. ICC v4
// profiles describe themselves with a multi-localised text instead, which is read as well.
std::optional<std::u16string> ReadDescription(cmsHPROFILE profile, std::string& reason) {
    const cmsUInt32Number size = cmsReadRawTag(profile, cmsSigProfileDescriptionTag, nullptr, 0);
    if (size == 0) {
        reason = std::string(my::MessageText(IDS_REASON_PROFILE_NO_DESCRIPTION));
        return std::nullopt;
    }
    std::vector<std::uint8_t> tag(size);
    if (cmsReadRawTag(profile, cmsSigProfileDescriptionTag, tag.data(), size) != size) {
        reason = std::string(my::MessageText(IDS_REASON_PROFILE_DESCRIPTION_UNREADABLE));
        return std::nullopt;
    }
    if (size > 12 && BigEndian32(tag.data()) == cmsSigTextDescriptionType) {
        const std::uint32_t count = BigEndian32(tag.data() + 8);
        if (count >= 1 && count - 1 <= size - 12) {
            std::u16string name;
            for (std::uint32_t i = 0; i < count - 1 && tag[12 + i] != 0; ++i) {
                name.push_back(char16_t(tag[12 + i]));
            }
            return name;
        }
    } else if (size > 12 && BigEndian32(tag.data()) == cmsSigMultiLocalizedUnicodeType) {
        if (auto name = LocalizedDescription(profile)) {
            return name;
        }
    }
    reason = std::string(my::MessageText(IDS_REASON_PROFILE_DESCRIPTION_MALFORMED));
    return std::nullopt;
}

// The built-in sRGB profile as ICC version 2 bytes. A fixed creation date keeps its bytes, and
// so its header, the same in every run.
std::vector<std::uint8_t> BuiltInSrgbBytes() {
    icm::CLcmsContext context;
    const icm::ProfileHandle profile(cmsCreate_sRGBProfileTHR(context.Get()));
    cmsUInt32Number size = 0;
    if (!profile) {
        throw my::InternalError("CColorProfile\nthe built-in sRGB profile cannot be made");
    }
    cmsSetProfileVersion(profile.get(), 2.1);
    std::vector<std::uint8_t> bytes;
    if (cmsSaveProfileToMem(profile.get(), nullptr, &size) && size >= 128) {
        bytes.resize(size);
    }
    if (bytes.empty() || !cmsSaveProfileToMem(profile.get(), bytes.data(), &size)) {
        throw my::InternalError("CColorProfile\nthe built-in sRGB profile cannot be saved");
    }
    constexpr std::uint8_t kCreated[12] = {0x07, 0xD0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0}; // 2000-01-01
    std::copy(std::begin(kCreated), std::end(kCreated), bytes.begin() + 24);
    return bytes;
}

} // namespace

CColorProfile::CColorProfile() {
    BecomeWorkingSpace();
}

CColorProfile::CColorProfile(CBuiltIn) {
    OpenBytes(BuiltInSrgbBytes(), "sRGB");
}

CColorProfile::CColorProfile(const CColorProfile& other) : CColorProfile() {
    *this = other;
}

CColorProfile& CColorProfile::operator=(const CColorProfile& other) {
    if (this != &other) {
        if (other.m_opened) {
            OpenBytes(other.m_data, {});
        } else {
            Close();
        }
    }
    return *this;
}

CColorProfile::CColorProfile(CColorProfile&& other) noexcept : CColorProfile() {
    *this = std::move(other);
}

CColorProfile& CColorProfile::operator=(CColorProfile&& other) noexcept {
    if (this != &other) {
        m_name = std::move(other.m_name);
        m_data = std::move(other.m_data);
        m_header = other.m_header;
        m_colorSpace = other.m_colorSpace;
        m_opened = std::move(other.m_opened);
        other.BecomeWorkingSpace();
    }
    return *this;
}

CColorProfile::~CColorProfile() = default;

const CColorProfile& CColorProfile::WorkingSpace() {
    static const CColorProfile builtIn{CBuiltIn{}};
    return builtIn;
}

const std::vector<std::uint8_t>& CColorProfile::WorkingSpaceBytes() {
    return WorkingSpace().m_data;
}

void CColorProfile::BecomeWorkingSpace() {
    const CColorProfile& builtIn = WorkingSpace();
    m_name = builtIn.m_name;
    m_data.clear();
    m_header = builtIn.m_header;
    m_colorSpace = builtIn.m_colorSpace;
    m_opened.reset();
}

void* CColorProfile::Handle() const {
    return m_opened ? m_opened->handle.get() : WorkingSpace().m_opened->handle.get();
}

void CColorProfile::LoadFromMemory(std::vector<std::uint8_t> bytes) {
    OpenBytes(std::move(bytes), {});
}

void CColorProfile::Load(const std::string& path) {
    io::CFileInputStream file(path);
    if (file.Size() > kMaxProfileBytes) {
        throw my::CException(
            IDS_ICM_PROFILE_OPEN_FAILED,
            my::FormatMessage(IDS_REASON_PROFILE_FILE_TOO_LARGE, std::vector<std::string>{path}));
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.Size()));
    file.ReadExactly(bytes.data(), bytes.size());
    OpenBytes(std::move(bytes), path);
}

void CColorProfile::Close() {
    BecomeWorkingSpace();
}

void CColorProfile::OpenBytes(std::vector<std::uint8_t> bytes, const std::string& origin) {
    const auto fail = [&origin](const std::string& reason) {
        return my::CException(IDS_ICM_PROFILE_OPEN_FAILED,
                              origin.empty() ? reason : origin + ": " + reason);
    };
    if (bytes.size() < kHeaderSize) {
        throw fail(std::string(my::MessageText(
            bytes.empty() ? IDS_REASON_PROFILE_EMPTY : IDS_REASON_PROFILE_SHORTER_THAN_HEADER)));
    }
    if (bytes.size() > kMaxProfileBytes) {
        throw fail(std::string(my::MessageText(IDS_REASON_PROFILE_TOO_LARGE)));
    }
    // The engine would skip the tags that lie beyond the end and fail only later.
    if (BigEndian32(bytes.data()) > bytes.size()) {
        throw fail(std::string(my::MessageText(IDS_REASON_PROFILE_SHORTER_THAN_STATED)));
    }
    auto opened = std::make_unique<COpened>();
    opened->handle.reset(cmsOpenProfileFromMemTHR(opened->context.Get(), bytes.data(),
                                                  static_cast<cmsUInt32Number>(bytes.size())));
    if (!opened->handle) {
        throw fail(
            opened->context.TakeError(std::string(my::MessageText(IDS_REASON_NOT_A_PROFILE))));
    }
    std::string reason;
    std::optional<std::u16string> name = ReadDescription(opened->handle.get(), reason);
    if (!name) {
        throw fail(reason);
    }
    m_name = std::move(*name);
    std::copy_n(bytes.begin(), kHeaderSize, m_header.begin());
    m_colorSpace = cmsGetColorSpace(opened->handle.get());
    m_data = std::move(bytes);
    m_opened = std::move(opened);
}
