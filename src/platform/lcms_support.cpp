#include "platform/lcms_support.h"

#include <new>

namespace icm {

CLcmsContext::CLcmsContext() {
    m_context = cmsCreateContext(nullptr, this);
    if (m_context == nullptr) {
        throw std::bad_alloc();
    }
    cmsSetLogErrorHandlerTHR(m_context, &OnError);
}

CLcmsContext::~CLcmsContext() {
    cmsDeleteContext(m_context);
}

std::string CLcmsContext::TakeError(const std::string& fallback) {
    std::lock_guard lock(m_mutex);
    std::string error = m_error.empty() ? fallback : std::move(m_error);
    m_error.clear();
    return error;
}

void CLcmsContext::OnError(cmsContext context, cmsUInt32Number, const char* text) {
    auto* self = static_cast<CLcmsContext*>(cmsGetContextUserData(context));
    if (self == nullptr || text == nullptr) {
        return;
    }
    // Keep the first reason: later ones are usually consequences of it. Nothing may be thrown
    // back into lcms2.
    try {
        std::lock_guard lock(self->m_mutex);
        if (self->m_error.empty()) {
            self->m_error = text;
        }
    } catch (...) {
    }
}

} // namespace icm
