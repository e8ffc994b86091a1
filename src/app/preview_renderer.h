// mrv::CPreviewRenderer: the preview's own worker thread. It renders the frames of the latest
// request through the engine's frame source and hands each one over as soon as it is ready; a
// newer request stops the stale one within one frame's work. Past a memory cap it keeps no
// frames and renders each one when the pane asks for it.
#pragma once

#include "common/error.h"
#include "common/terminable.h"
#include "engine/task_setting.h"

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

struct CImg;

namespace mrv {

// What the preview renders: the settings' frames fitted into a box, or at their own size.
struct CPreviewRequest {
    CTaskSetting m_setting;
    QSize m_box; // empty: the output's own size (1:1)
};

// One difference of a pair that does not animate, as the preview lists and marks it.
struct CPreviewDifference {
    QString m_text;      // the message a run stops with for it
    QString m_startSide; // "START: position ..., name ..."
    QString m_endSide;
    QRectF m_startMark; // in pixels of the START picture; empty without a START figure
    QRectF m_endMark;
};

// START and END of a pair that does not animate, drawn side by side, and every difference.
struct CPreviewMismatch {
    QImage m_start;
    QImage m_end;
    std::vector<CPreviewDifference> m_differences;
    QString m_count; // the line that ends the list ("3 differences: ...")
};

// What the renderer reports; every call runs on the renderer's thread and names the request.
class CPreviewClient {
public:
    virtual ~CPreviewClient() = default;
    // The frames of the request are known: count, size, and whether they are rendered only
    // when asked for (RenderOnDemand).
    virtual void OnPreviewStarted(std::uint64_t request, std::size_t frames, QSize size,
                                  bool onDemand) = 0;
    virtual void OnPreviewFrame(std::uint64_t request, std::size_t index, QImage frame) = 0;
    // Every frame was handed over (not told in on-demand mode).
    virtual void OnPreviewFinished(std::uint64_t request) = 0;
    // The request failed: a drawing, a setting or the rendering.
    virtual void OnPreviewFailed(std::uint64_t request, CSimpleErr err) = 0;
    // START and END do not pair: every difference, instead of frames.
    virtual void OnPreviewMismatch(std::uint64_t request, CPreviewMismatch mismatch) = 0;
};

class CPreviewRenderer {
public:
    // Frames whose total exceeds this many bytes are rendered on demand.
    static constexpr std::uint64_t kDefaultMemoryCap = 256ull * 1024 * 1024;

    explicit CPreviewRenderer(CPreviewClient& client);
    // Stops the current request and waits for the thread.
    ~CPreviewRenderer();
    CPreviewRenderer(const CPreviewRenderer&) = delete;
    CPreviewRenderer& operator=(const CPreviewRenderer&) = delete;

    // Replaces whatever is being rendered; returns the request's number (rising from 1).
    std::uint64_t Submit(CPreviewRequest request);
    // Drops the current request without a new one.
    void Cancel();
    // In on-demand mode: renders frame index of the request (a newer wish replaces an older
    // one that has not started).
    void RequestFrame(std::uint64_t request, std::size_t index);
    void SetMemoryCap(std::uint64_t bytes) { m_memoryCap = bytes; }
    std::uint64_t MemoryCap() const { return m_memoryCap; }

    // Requests that ran to their end, and requests stopped by a newer one or by Cancel.
    std::uint64_t CompletedCount() const;
    std::uint64_t CancelledCount() const;

private:
    // Stops the work of one request once a newer one exists.
    class CStaleQuery : public CTerminable {
    public:
        CStaleQuery(const CPreviewRenderer& owner, std::uint64_t request)
            : m_owner(owner), m_request(request) {}
        bool IsTerminating() const override;

    private:
        const CPreviewRenderer& m_owner;
        std::uint64_t m_request;
    };

    void Work();
    void Render(const CPreviewRequest& request, std::uint64_t number);
    // After a failure of the frames: when START and END do not pair, their picture with every
    // difference goes to the client and true is returned.
    bool ReportMismatch(const CPreviewRequest& request, std::uint64_t number,
                        const CTerminable& stale);
    // Waits for the next frame wish of request; false once the request is stale.
    bool NextWish(std::uint64_t number, std::size_t& index);

    CPreviewClient& m_client;
    std::uint64_t m_memoryCap = kDefaultMemoryCap;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_quit = false;                      // guarded by m_mutex
    std::uint64_t m_latest = 0;               // guarded by m_mutex
    std::optional<CPreviewRequest> m_pending; // guarded by m_mutex
    std::optional<std::size_t> m_wish;        // guarded by m_mutex
    std::uint64_t m_completed = 0;            // guarded by m_mutex
    std::uint64_t m_cancelled = 0;            // guarded by m_mutex
    std::thread m_thread;
};

// A rendered frame of pixel type 0 (B, G, R, A, not premultiplied) as a QImage of the same
// bytes; other pixel types raise an internal error.
QImage ToQImage(const CImg& img);

} // namespace mrv
