// mrv::CFrameRelay: hands each uncropped output frame from the job that made it to the job of
// the next frame, which cuts its changed region against it; a frame waits only until taken.
#pragma once

#include "output/img_saver.h"

#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>

namespace mrv {

// Raised by Take when the frame before could not be made; that frame's own failure is the one
// the pool reports.
struct CMissingFrame {};

class CFrameRelay {
public:
    // A null frame tells the next job that this one failed.
    void Put(std::size_t index, CImgPtr frame);
    CImgPtr Take(std::size_t index);

private:
    std::mutex m_mutex;
    std::condition_variable m_put;
    std::map<std::size_t, CImgPtr> m_frames;
};

// Puts the frame of a job into the relay however the job ends, so the next job never waits
// for a frame that will not come. A null relay makes it do nothing.
class CRelayPut {
public:
    CRelayPut(CFrameRelay* relay, std::size_t index) : m_relay(relay), m_index(index) {}
    ~CRelayPut();
    CRelayPut(const CRelayPut&) = delete;
    CRelayPut& operator=(const CRelayPut&) = delete;
    void Put(const CImgPtr& frame);

private:
    CFrameRelay* m_relay;
    std::size_t m_index;
};

} // namespace mrv
