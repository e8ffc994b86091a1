// Owners of Little CMS 2 handles for the colour engine of this folder, and the lcms2 context
// that collects the engine's error texts. Only this folder's sources include it.
//
// Every profile and every transform gets its own context: the error handler then reports into
// the object whose operation failed, and no global state of lcms2 is ever changed. Profile
// handles may be shared between threads (lcms2 locks a profile while it reads a tag); a built
// transform is read-only while it converts.
#pragma once

#include <lcms2.h>
#include <memory>
#include <mutex>
#include <string>

namespace icm {

// An lcms2 context whose error handler keeps the last error text.
class CLcmsContext {
public:
    CLcmsContext();
    ~CLcmsContext();
    CLcmsContext(const CLcmsContext&) = delete;
    CLcmsContext& operator=(const CLcmsContext&) = delete;

    cmsContext Get() const { return m_context; }
    // The last error reported since the previous call (then forgotten), or fallback when none.
    std::string TakeError(const std::string& fallback);

private:
    static void OnError(cmsContext context, cmsUInt32Number code, const char* text);

    cmsContext m_context = nullptr;
    std::mutex m_mutex;
    std::string m_error;
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
