#include "platform/lcms_support.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <lcms2_plugin.h>
#include <new>

namespace icm {

namespace {

// Each block of the engine starts with its size, so that frees can be counted. Blocks made
// before the context knows its owner (while lcms2 sets the context up) are not counted.
struct alignas(std::max_align_t) BlockHeader {
    std::size_t size;
    CLcmsContext* owner;
};

CLcmsContext* OwnerOf(cmsContext context) {
    return static_cast<CLcmsContext*>(cmsGetContextUserData(context));
}

void* Allocate(cmsContext context, cmsUInt32Number size) {
    CLcmsContext* owner = OwnerOf(context);
    if (owner != nullptr && !owner->Reserve(size)) {
        return nullptr;
    }
    auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
    if (header == nullptr) {
        if (owner != nullptr) {
            owner->Release(size);
        }
        return nullptr;
    }
    header->size = size;
    header->owner = owner;
    return header + 1;
}

void Free(cmsContext, void* block) {
    if (block == nullptr) {
        return;
    }
    BlockHeader* header = static_cast<BlockHeader*>(block) - 1;
    if (header->owner != nullptr) {
        header->owner->Release(header->size);
    }
    std::free(header);
}

void* Reallocate(cmsContext context, void* block, cmsUInt32Number size) {
    if (block == nullptr) {
        return Allocate(context, size);
    }
    // Rarely used by lcms2 (growing text and memory streams): a new block and a copy.
    const BlockHeader* old = static_cast<BlockHeader*>(block) - 1;
    void* grown = Allocate(context, size);
    if (grown != nullptr) {
        std::memcpy(grown, block, std::min<std::size_t>(old->size, size));
        Free(context, block);
    }
    return grown;
}

cmsPluginMemHandler kCountingAllocator = {
    {cmsPluginMagicNumber, 2060, cmsPluginMemHandlerSig, nullptr},
    &Allocate,
    &Free,
    &Reallocate,
    nullptr,
    nullptr,
    nullptr,
};

} // namespace

CLcmsContext::CLcmsContext(std::size_t maxBytes) : m_maxBytes(maxBytes) {
    m_context = cmsCreateContext(&kCountingAllocator, this);
    if (m_context == nullptr) {
        throw std::bad_alloc();
    }
    cmsSetLogErrorHandlerTHR(m_context, &OnError);
}

CLcmsContext::~CLcmsContext() {
    cmsDeleteContext(m_context);
}

bool CLcmsContext::Reserve(std::size_t bytes) {
    std::size_t used = m_usedBytes.load(std::memory_order_relaxed);
    do {
        if (bytes > m_maxBytes - used) {
            return false;
        }
    } while (!m_usedBytes.compare_exchange_weak(used, used + bytes, std::memory_order_relaxed));
    return true;
}

void CLcmsContext::Release(std::size_t bytes) {
    m_usedBytes.fetch_sub(bytes, std::memory_order_relaxed);
}

std::string CLcmsContext::TakeError(const std::string& fallback) {
    std::lock_guard lock(m_mutex);
    std::string error = m_error.empty() ? fallback : std::move(m_error);
    m_error.clear();
    return error;
}

void CLcmsContext::OnError(cmsContext context, cmsUInt32Number, const char* text) {
    if (text == nullptr) {
        return;
    }
    CLcmsContext* self = OwnerOf(context);
    CLcmsContext* collector = CErrorScope::Collector();
    if (self != nullptr) {
        self->Record(text);
    }
    if (collector != nullptr && collector != self) {
        collector->Record(text);
    }
}

void CLcmsContext::Record(const char* text) {
    // Keep the first reason: later ones are usually consequences of it. Nothing may be thrown
    // back into lcms2.
    try {
        std::lock_guard lock(m_mutex);
        if (m_error.empty()) {
            m_error = text;
        }
    } catch (...) {
    }
}

namespace {
thread_local CLcmsContext* t_collector = nullptr;
} // namespace

CErrorScope::CErrorScope(CLcmsContext& collector) : m_previous(t_collector) {
    t_collector = &collector;
}

CErrorScope::~CErrorScope() {
    t_collector = m_previous;
}

CLcmsContext* CErrorScope::Collector() {
    return t_collector;
}

} // namespace icm
