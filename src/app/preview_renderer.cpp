#include "app/preview_renderer.h"

#include "app/command.h"
#include "common/message_ids.h"
#include "engine/frame_source.h"
#include "engine/pair_picture.h"
#include "platform/img.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace mrv {

QImage ToQImage(const CImg& img) {
    if (img.m_pixelType != CImg::PIXEL_BGRA32 || img.m_width < 1 || img.m_height < 1) {
        throw my::InternalError("mrv::ToQImage()\nnot a frame of pixel type 0");
    }
    // ARGB32 holds B, G, R, A in memory order on a little-endian machine, straight alpha: the
    // renderer's own layout, so rows are copied as they are.
    QImage image(img.m_width, img.m_height, QImage::Format_ARGB32);
    if (image.isNull()) {
        throw std::bad_alloc();
    }
    const std::size_t row = std::size_t(img.m_width) * 4;
    for (std::int32_t y = 0; y < img.m_height; ++y) {
        std::memcpy(image.scanLine(y), img.Row(y), row);
    }
    return image;
}

bool CPreviewRenderer::CStaleQuery::IsTerminating() const {
    std::lock_guard<std::mutex> lock(m_owner.m_mutex);
    return m_owner.m_quit || m_owner.m_latest != m_request;
}

CPreviewRenderer::CPreviewRenderer(CPreviewClient& client) : m_client(client) {
    m_thread = std::thread([this] { Work(); });
}

CPreviewRenderer::~CPreviewRenderer() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

std::uint64_t CPreviewRenderer::Submit(CPreviewRequest request) {
    std::uint64_t number = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        number = ++m_latest;
        m_pending = std::move(request);
        m_wish.reset();
    }
    m_wake.notify_all();
    return number;
}

void CPreviewRenderer::Cancel() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_latest;
        m_pending.reset();
        m_wish.reset();
    }
    m_wake.notify_all();
}

void CPreviewRenderer::RequestFrame(std::uint64_t request, std::size_t index) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (request != m_latest) {
            return;
        }
        m_wish = index;
    }
    m_wake.notify_all();
}

std::uint64_t CPreviewRenderer::CompletedCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_completed;
}

std::uint64_t CPreviewRenderer::CancelledCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_cancelled;
}

void CPreviewRenderer::Work() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || m_pending.has_value(); });
        if (m_quit) {
            return;
        }
        const CPreviewRequest request = std::move(*m_pending);
        m_pending.reset();
        const std::uint64_t number = m_latest;
        lock.unlock();
        Render(request, number);
        lock.lock();
    }
}

bool CPreviewRenderer::NextWish(std::uint64_t number, std::size_t& index) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait(lock, [&] { return m_quit || m_latest != number || m_wish.has_value(); });
    if (m_quit || m_latest != number) {
        return false;
    }
    index = *m_wish;
    m_wish.reset();
    return true;
}

void CPreviewRenderer::Render(const CPreviewRequest& request, std::uint64_t number) {
    const CStaleQuery stale(*this, number);
    const auto checkStale = [&stale] {
        if (stale.IsTerminating()) {
            throw my::CException(IDS_TASK_INTERRUPTED);
        }
    };
    const auto ended = [this](std::uint64_t& counter) {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++counter;
    };
    bool validated = false;
    try {
        // The checks of the Generate command come first, so a setting it refuses is shown here
        // with the same message.
        request.m_setting.ValidateForGenerate();
        validated = true;
        CFrameSource source(request.m_setting, checkStale);
        source.Prepare(&stale);
        if (!request.m_box.isEmpty()) {
            source.ScaleInto(request.m_box.width(), request.m_box.height());
        }
        const stroke::CPageRect page = source.Page();
        const QSize size(page.right, page.bottom);
        const std::size_t count = source.OutputFrameCount();
        const std::size_t planned = source.Plan().size();
        // Within the renderer's largest page the product cannot overflow 64 bits.
        const std::uint64_t bytes =
            std::uint64_t(planned) * std::uint64_t(size.width()) * std::uint64_t(size.height()) * 4;
        const bool onDemand = bytes > m_memoryCap;
        const InterpolatorPtr interpolator = source.NewInterpolator();
        checkStale();
        m_client.OnPreviewStarted(number, count, size, onDemand);
        if (onDemand) {
            ended(m_completed);
            std::size_t index = 0;
            while (NextWish(number, index)) {
                if (index < count) {
                    m_client.OnPreviewFrame(number, index,
                                            ToQImage(*source.RenderOutput(index, *interpolator)));
                }
            }
            return;
        }
        // A replayed frame shows the image of its planned frame, which is rendered once.
        std::vector<QImage> images(planned);
        for (std::size_t j = 0; j < count; ++j) {
            checkStale();
            QImage& image = images[source.PlanIndexOf(j)];
            if (image.isNull()) {
                image = ToQImage(*source.Render(source.PlanIndexOf(j), *interpolator));
            }
            m_client.OnPreviewFrame(number, j, image);
        }
        ended(m_completed);
        m_client.OnPreviewFinished(number);
    } catch (...) {
        const CSimpleErr err = ErrFromCurrentException();
        if (stale.IsTerminating()) {
            ended(m_cancelled);
            return;
        }
        if (!validated || !ReportMismatch(request, number, stale)) {
            m_client.OnPreviewFailed(number, err);
        }
    }
}

bool CPreviewRenderer::ReportMismatch(const CPreviewRequest& request, std::uint64_t number,
                                      const CTerminable& stale) {
    try {
        CPairingCheck check = CheckPairingOf(request.m_setting, &stale);
        if (check.Animates()) {
            return false;
        }
        // Each drawing takes two fifths of the box; the list of differences takes the rest.
        const QSize box = request.m_box.isEmpty() ? QSize(1000, 400) : request.m_box;
        const int width = std::max(box.width() * 2 / 5, 16);
        const int height = std::max(box.height() - 40, 16);
        const CPairPicture picture = DrawPairCheck(check, request.m_setting, width, height);
        CPreviewMismatch mismatch{ToQImage(*picture.m_start),
                                  ToQImage(*picture.m_end),
                                  {},
                                  QString::fromStdString(CheckCountText(check))};
        const auto rect = [](const std::optional<CTrimRect>& mark) {
            return mark ? QRectF(mark->m_x, mark->m_y, mark->m_width, mark->m_height) : QRectF();
        };
        for (std::size_t i = 0; i < check.m_differences.size(); ++i) {
            const CPairDifference& d = check.m_differences[i];
            mismatch.m_differences.push_back({QString::fromStdString(d.m_message.m_text),
                                              QString::fromStdString(DifferenceSideText(d, true)),
                                              QString::fromStdString(DifferenceSideText(d, false)),
                                              rect(picture.m_marks[i].m_start),
                                              rect(picture.m_marks[i].m_end)});
        }
        if (stale.IsTerminating()) {
            return true;
        }
        m_client.OnPreviewMismatch(number, std::move(mismatch));
        return true;
    } catch (...) {
        // The frames' own failure is the one to show.
        return false;
    }
}

} // namespace mrv
