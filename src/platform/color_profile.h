// CColorProfile: an ICC colour profile held by a model or an image, opened with Little CMS 2.
// A profile without ICC bytes (default-constructed or closed) stands for the working RGB space,
// sRGB, through the engine's built-in sRGB profile; its colour space signature is "RGB ".
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CColorProfile {
public:
    static constexpr std::uint32_t kSignatureRgb = 0x52474220;  // "RGB "
    static constexpr std::uint32_t kSignatureCmyk = 0x434D594B; // "CMYK"
    static constexpr std::uint32_t kSignatureGray = 0x47524159; // "GRAY"

    static constexpr std::size_t kHeaderSize = 128;
    using Header = std::array<std::uint8_t, kHeaderSize>;
    // Largest profile accepted from a file or a blob; real profiles stay far below it.
    static constexpr std::size_t kMaxProfileBytes = std::size_t{64} << 20;

    // The working RGB space.
    CColorProfile();
    // A copy opens its own handle on the same bytes.
    CColorProfile(const CColorProfile& other);
    CColorProfile& operator=(const CColorProfile& other);
    CColorProfile(CColorProfile&& other) noexcept;
    CColorProfile& operator=(CColorProfile&& other) noexcept;
    virtual ~CColorProfile();

    // Opens the profile from its ICC bytes: header, colour space and the name from the "desc"
    // tag. Empty, oversized or unreadable bytes and a missing or malformed description raise
    // IDS_ICM_PROFILE_OPEN_FAILED with the reason; the profile is unchanged then.
    virtual void LoadFromMemory(std::vector<std::uint8_t> bytes);
    // Reads a profile file and opens it as LoadFromMemory does; a file that cannot be read
    // raises IDS_FILE_OPEN_FAILED (or IDS_STREAM_READ_FAILED), a bad profile
    // IDS_ICM_PROFILE_OPEN_FAILED naming the path.
    virtual void Load(const std::string& path);
    // Drops the profile; it stands for the working RGB space again.
    virtual void Close();

    // The profile's description text.
    const std::u16string& Name() const { return m_name; }
    // ICC colour space signature of the data ("RGB " for the working space).
    std::uint32_t ColorSpace() const { return m_colorSpace; }
    // The ICC bytes as opened; empty for the working space.
    const std::vector<std::uint8_t>& Data() const { return m_data; }
    bool HasData() const { return !m_data.empty(); }
    // The 128-byte ICC header (the built-in sRGB profile's for the working space).
    const Header& GetHeader() const { return m_header; }
    // Two profiles are the same colour space when their headers are byte-equal.
    bool IsSame(const CColorProfile& other) const { return m_header == other.m_header; }

    // The engine's profile handle (an lcms2 cmsHPROFILE) for this folder's transforms; the
    // working space answers the built-in sRGB profile shared by the whole run.
    void* Handle() const;

    // The ICC bytes of the built-in sRGB profile that stands for the working space, the same
    // in every run.
    static const std::vector<std::uint8_t>& WorkingSpaceBytes();

protected:
    std::u16string m_name;
    std::vector<std::uint8_t> m_data;
    Header m_header{};
    std::uint32_t m_colorSpace = kSignatureRgb;

private:
    struct COpened; // the lcms2 context and profile handle of an opened profile
    struct CBuiltIn {};

    // The built-in sRGB profile itself, opened from its bytes.
    explicit CColorProfile(CBuiltIn);
    static const CColorProfile& WorkingSpace();

    // Opens bytes into a new handle and takes them on; origin names them in messages.
    void OpenBytes(std::vector<std::uint8_t> bytes, const std::string& origin);
    void BecomeWorkingSpace();

    std::unique_ptr<COpened> m_opened; // null for the working space
};
