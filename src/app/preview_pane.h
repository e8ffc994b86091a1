// mrv::CPreviewPane: the live preview beside the form. It plays the animation Generate would
// write with the form's current settings (frame rate, loop count, return trip), re-rendered on
// its own thread a moment after the last change of a field or of either drawing on disk, and
// shows in place of the frames what keeps them from being made.
#pragma once

#include "app/main_thread_inbox.h"
#include "app/preview_renderer.h"
#include "engine/task_setting.h"

#include <QDateTime>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

class QFileSystemWatcher;
class QLabel;
class QScrollArea;
class QSlider;
class QStackedWidget;
class QToolButton;

namespace mrv {

class CDifferenceView;
class CPreviewCanvas;

class CPreviewPane : public QWidget, public CPreviewClient {
public:
    // The pause after the last change before the preview renders again.
    static constexpr int kDebounceMs = 300;

    explicit CPreviewPane(QWidget* parent = nullptr);
    ~CPreviewPane() override;

    // The form's settings changed (or were shown anew): playback follows at once, the frames
    // after the pause when a value that shapes them changed.
    void SetSetting(const CTaskSetting& setting);
    // Renders again after the pause even though no setting changed (a drawing changed on disk).
    void Reload();
    // Fit to the pane (rendered at the pane's size) or the output's own size.
    void SetActualSize(bool actual);
    bool IsActualSize() const { return m_actualSize; }

    void Play();
    void Pause();
    void TogglePlay();
    // One frame back or forward, wrapping around; playback pauses.
    void Step(int delta);
    void ShowFrame(std::size_t index);

    // What the pane shows, for the window and the tests.
    std::size_t FrameCount() const { return m_count; }
    std::size_t CurrentFrame() const { return m_current; }
    // Frame index as rendered; null until it is ready (or when it is not kept).
    QImage Frame(std::size_t index) const;
    bool IsPlaying() const { return m_playing; }
    bool AllFramesReady() const;
    bool IsOnDemand() const { return m_onDemand; }
    // No change waits for its pause and the latest request has ended: every frame handed over
    // (or, on demand, the frames known), or its failure shown.
    bool IsSettled() const { return !m_debounce.isActive() && m_ended == m_request; }
    // The text shown instead of frames; empty while frames are shown.
    QString Message() const;
    QString PositionText() const;
    CPreviewRenderer& Renderer() { return *m_renderer; }
    CPreviewCanvas& Canvas() { return *m_canvas; }
    // The differences of a pair that does not animate, shown in place of the frames; null
    // while the pane shows something else.
    CDifferenceView* Differences();

    // CPreviewClient, called on the renderer's thread; each hands over to the window's thread.
    void OnPreviewStarted(std::uint64_t request, std::size_t frames, QSize size,
                          bool onDemand) override;
    void OnPreviewFrame(std::uint64_t request, std::size_t index, QImage frame) override;
    void OnPreviewFinished(std::uint64_t request) override;
    void OnPreviewFailed(std::uint64_t request, CSimpleErr err) override;
    void OnPreviewMismatch(std::uint64_t request, CPreviewMismatch mismatch) override;

    QSize sizeHint() const override { return {480, 360}; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void Submit();
    // The box frames are rendered into: the visible area in fit mode, empty for 1:1.
    QSize RenderBox() const;
    // Shows the frames, or the text that stands in their place (a failure, a playback setting
    // the Generate command refuses, no drawings chosen).
    void UpdateView();
    void Started(std::uint64_t request, std::size_t frames, QSize size, bool onDemand);
    void FrameReady(std::uint64_t request, std::size_t index, const QImage& frame);
    void Failed(std::uint64_t request, const CSimpleErr& err);
    void Finished(std::uint64_t request);
    void Mismatch(std::uint64_t request, const CPreviewMismatch& mismatch);
    void Tick();
    void UpdateControls();
    void UpdatePlaybackTiming();
    // Watches both drawings and their folders; true when a drawing differs from when it was
    // last rendered.
    void WatchDrawings();
    bool DrawingsChanged() const;

    // The renderer's reports reach the window's thread through it; made before the renderer.
    CMainThreadInbox* m_inbox = nullptr;
    std::unique_ptr<CPreviewRenderer> m_renderer;
    QStackedWidget* m_stack = nullptr;
    QScrollArea* m_scroll = nullptr;
    CPreviewCanvas* m_canvas = nullptr;
    QLabel* m_message = nullptr;
    CDifferenceView* m_differences = nullptr;
    QToolButton* m_play = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_next = nullptr;
    QSlider* m_slider = nullptr;
    QLabel* m_position = nullptr;
    QToolButton* m_fit = nullptr;
    QToolButton* m_actual = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer m_debounce;
    QTimer m_playTimer;

    CTaskSetting m_setting;  // as the form holds it
    CTaskSetting m_rendered; // the frame-shaping part of the last request
    QSize m_renderedBox;
    bool m_haveRequest = false;
    bool m_forced = false; // render again even when nothing the frames depend on changed
    // Size and modification time of each drawing when it was last rendered.
    std::array<std::pair<qint64, QDateTime>, 2> m_stamps{};
    bool m_actualSize = false;
    std::uint64_t m_request = 0;
    std::uint64_t m_ended = 0; // the last request that finished or failed
    std::size_t m_count = 0;
    bool m_onDemand = false;
    std::vector<QImage> m_frames;
    std::size_t m_current = 0;
    std::size_t m_wanted = 0; // on demand: the frame asked for
    bool m_playing = false;
    bool m_userPaused = false;
    int m_loopsDone = 0;
    QString m_failure;         // why the last request made no frames
    bool m_mismatch = false;   // START and END do not pair: the differences are shown
    QString m_playbackProblem; // why the frames cannot be played at the form's timing
};

// The part of a task's settings that shapes the frames: what only names or encodes the files,
// or times their playback, is set to its default.
CTaskSetting FrameShapingPart(const CTaskSetting& setting);

} // namespace mrv
