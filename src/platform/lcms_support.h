// Owners of Little CMS 2 handles for the colour engine of this folder, and the lcms2 context
// that collects the engine's error texts. Only this folder's sources include it.
//
// Every profile and every transform gets its own context: the error handler then reports into
// the object whose operation failed, the memory the engine holds for it is counted and capped
// (a profile of a few bytes can ask for tables of hundreds of megabytes), and no global state
// of lcms2 is ever changed. Profile handles may be shared between threads (lcms2 locks a
// profile while it reads a tag); a built transform is read-only while it converts.
#pragma once

#include <atomic>
#include <cstddef>
#include <lcms2.h>
#include <memory>
#include <mutex>
#include <string>

namespace icm {

// An lcms2 context whose error handler keeps the last error text and whose allocations stop
// at a limit.
class CLcmsContext {
public:
    // Far above what real profiles and transforms need (tens of megabytes at most).
    static constexpr std::size_t kDefaultMaxBytes = std::size_t{256} << 20;

    explicit CLcmsContext(std::size_t maxBytes = kDefaultMaxBytes);
    ~CLcmsContext();
    CLcmsContext(const CLcmsContext&) = delete;
    CLcmsContext& operator=(const CLcmsContext&) = delete;

    cmsContext Get() const { return m_context; }
    // The last error reported since the previous call (then forgotten), or fallback when none.
    std::string TakeError(const std::string& fallback);

    // Accounts for an allocation of the engine; false when it would pass the limit.
    [[nodiscard]] bool Reserve(std::size_t bytes);
    void Release(std::size_t bytes);

private:
    static void OnError(cmsContext context, cmsUInt32Number code, const char* text);
    void Record(const char* text);

    const std::size_t m_maxBytes;
    std::atomic<std::size_t> m_usedBytes{0};
    cmsContext m_context = nullptr;
    std::mutex m_mutex;
    std::string m_error;
};

// While one lives, the errors of every context on this thread are reported to its collector
// too: a transform fails in its own context, but the reason (a bad tag, too much memory) is
// often found while a profile's tags are read in the profile's context.
class CErrorScope {
public:
    explicit CErrorScope(CLcmsContext& collector);
    ~CErrorScope();
    CErrorScope(const CErrorScope&) = delete;
    CErrorScope& operator=(const CErrorScope&) = delete;

    static CLcmsContext* Collector();

private:
    CLcmsContext* m_previous;
};

struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct TransformDeleter {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};

using ProfileHandle = std::unique_ptr<void, ProfileCloser>;
using TransformHandle = std::unique_ptr<void, TransformDeleter>;

// The rendering intent of every transform: perceptual, as for images, falling back to what a
// profile offers when it lacks perceptual tables.
constexpr cmsUInt32Number kIntent = INTENT_PERCEPTUAL;

} // namespace icm
