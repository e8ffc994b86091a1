#include "engine/frame_relay.h"

namespace mrv {

void CFrameRelay::Put(std::size_t index, CImgPtr frame) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_frames[index] = std::move(frame);
    }
    m_put.notify_all();
}

CImgPtr CFrameRelay::Take(std::size_t index) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_put.wait(lock, [&] { return m_frames.contains(index); });
    CImgPtr frame = std::move(m_frames[index]);
    m_frames.erase(index);
    if (!frame) {
        throw CMissingFrame{};
    }
    return frame;
}

CRelayPut::~CRelayPut() {
    if (m_relay != nullptr) {
        m_relay->Put(m_index, nullptr);
    }
}

void CRelayPut::Put(const CImgPtr& frame) {
    if (m_relay != nullptr) {
        m_relay->Put(m_index, frame);
        m_relay = nullptr;
    }
}

} // namespace mrv
