#include "app/preview_pane.h"

#include "app/difference_view.h"
#include "app/preview_canvas.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "output/img_saver.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace mrv {

namespace {

// The pane's own texts follow the form, which is Japanese whatever the platform language.
QString Text(std::uint32_t id) {
    return QString::fromStdString(std::string(my::MessageText(id, my::Language::Japanese)));
}

QString Format(std::uint32_t id, const std::vector<std::string>& args) {
    return QString::fromStdString(
        my::FillPlaceholders(my::MessageText(id, my::Language::Japanese), args));
}

QToolButton* MakeButton(QWidget* parent, QStyle::StandardPixmap icon, std::uint32_t name) {
    auto* button = new QToolButton(parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(Text(name));
    button->setAccessibleName(Text(name));
    button->setAutoRaise(true);
    return button;
}

// The smallest box frames are fitted into while the pane has not been laid out yet.
const QSize kLeastBox(64, 64);

} // namespace

CTaskSetting FrameShapingPart(const CTaskSetting& setting) {
    CTaskSetting shaping = setting;
    const CTaskSetting defaults;
    shaping.SetDstFormat(defaults.GetDstFormat());
    shaping.SetDstFolder(defaults.GetDstFolder());
    shaping.SetDstName(defaults.GetDstName());
    shaping.SetStartNo(defaults.GetStartNo());
    shaping.SetDigits(defaults.GetDigits());
    shaping.SetWebpQuality(defaults.GetWebpQuality());
    shaping.SetFrameRate(defaults.GetFrameRate());
    shaping.SetLoopCount(defaults.GetLoopCount());
    // Changed-region frames are a way of writing the same pictures.
    shaping.SetFlags(setting.GetFlags() & ~std::uint32_t{TaskFlags::AutoTrimFrames});
    return shaping;
}

CPreviewPane::CPreviewPane(QWidget* parent) : QWidget(parent) {
    setAccessibleName(Text(IDS_PREVIEW_NAME));
    BuildControls();
    // On a small screen the form keeps its room and the preview takes what is left, down to
    // nothing: the window is never wider than the form needs.
    setMinimumSize(1, 1);
    m_debounce.setSingleShot(true);
    m_debounce.setInterval(kDebounceMs);
    connect(&m_debounce, &QTimer::timeout, this, [this] { Submit(); });
    m_playTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_playTimer, &QTimer::timeout, this, [this] { Tick(); });
    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this](const QString&) {
        WatchDrawings();
        Reload();
    });
    // A folder changes with every file written there (a run's output too): only a drawing
    // that is not what was rendered counts.
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this](const QString&) {
        WatchDrawings();
        if (DrawingsChanged()) {
            Reload();
        }
    });
    m_inbox = new CMainThreadInbox(this);
    m_renderer = std::make_unique<CPreviewRenderer>(*this);
    UpdatePlaybackTiming();
    UpdateView();
}

CPreviewPane::~CPreviewPane() {
    // The renderer's thread calls back into the pane; it ends before anything else goes.
    m_renderer.reset();
}

void CPreviewPane::BuildControls() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    m_stack = new QStackedWidget(this);
    m_scroll = new QScrollArea(m_stack);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setWidgetResizable(true);
    m_canvas = new CPreviewCanvas;
    m_canvas->setAccessibleName(Text(IDS_PREVIEW_PICTURE));
    m_scroll->setWidget(m_canvas);
    m_message = new QLabel(m_stack);
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_message->setAccessibleName(Text(IDS_PREVIEW_MESSAGE));
    m_message->setMargin(12);
    m_differences = new CDifferenceView(m_stack);
    m_stack->addWidget(m_scroll);
    m_stack->addWidget(m_message);
    m_stack->addWidget(m_differences);
    root->addWidget(m_stack, 1);

    auto* controls = new QHBoxLayout;
    m_previous = MakeButton(this, QStyle::SP_MediaSeekBackward, IDS_PREVIEW_PREVIOUS);
    m_play = MakeButton(this, QStyle::SP_MediaPlay, IDS_PREVIEW_PLAY);
    m_next = MakeButton(this, QStyle::SP_MediaSeekForward, IDS_PREVIEW_NEXT);
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setAccessibleName(Text(IDS_PREVIEW_POSITION));
    m_position = new QLabel(this);
    m_fit = new QToolButton(this);
    m_fit->setText(Text(IDS_PREVIEW_FIT));
    m_fit->setAccessibleName(Text(IDS_PREVIEW_FIT));
    m_actual = new QToolButton(this);
    m_actual->setText(QStringLiteral("1:1"));
    m_actual->setToolTip(Text(IDS_PREVIEW_ACTUAL_SIZE));
    m_actual->setAccessibleName(Text(IDS_PREVIEW_ACTUAL_SIZE));
    auto* zoom = new QButtonGroup(this);
    for (QToolButton* button : {m_fit, m_actual}) {
        button->setCheckable(true);
        button->setAutoRaise(true);
        zoom->addButton(button);
    }
    m_fit->setChecked(true);
    controls->addWidget(m_previous);
    controls->addWidget(m_play);
    controls->addWidget(m_next);
    controls->addWidget(m_slider, 1);
    controls->addWidget(m_position);
    controls->addWidget(m_fit);
    controls->addWidget(m_actual);
    root->addLayout(controls);

    connect(m_play, &QToolButton::clicked, this, [this] { TogglePlay(); });
    connect(m_previous, &QToolButton::clicked, this, [this] { Step(-1); });
    connect(m_next, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
        Pause();
        m_userPaused = true;
        ShowFrame(std::size_t(std::max(value, 0)));
    });
    connect(m_fit, &QToolButton::clicked, this, [this] { SetActualSize(false); });
    connect(m_actual, &QToolButton::clicked, this, [this] { SetActualSize(true); });
    // The keys work wherever the focus is inside the pane, not in the form's boxes.
    const auto keyAction = [this](int key) {
        switch (key) {
        case Qt::Key_Space:
            TogglePlay();
            return true;
        case Qt::Key_Left:
            Step(-1);
            return true;
        case Qt::Key_Right:
            Step(1);
            return true;
        default:
            return false;
        }
    };
    for (const int key : {Qt::Key_Space, Qt::Key_Left, Qt::Key_Right}) {
        new QShortcut(
            QKeySequence(key), this, [keyAction, key] { keyAction(key); },
            Qt::WidgetWithChildrenShortcut);
    }
    // Without an active window no shortcut fires; the canvas, which has the focus when the
    // pane is clicked, takes the keys itself.
    m_canvas->SetKeyHandler(keyAction);
}

void CPreviewPane::SetSetting(const CTaskSetting& setting) {
    m_setting = setting;
    UpdatePlaybackTiming();
    WatchDrawings();
    if (!m_haveRequest || !(FrameShapingPart(setting) == m_rendered)) {
        m_debounce.start();
    }
    UpdateView();
}

void CPreviewPane::Reload() {
    m_forced = true;
    m_debounce.start();
}

void CPreviewPane::SetActualSize(bool actual) {
    m_actualSize = actual;
    m_fit->setChecked(!actual);
    m_actual->setChecked(actual);
    m_scroll->setWidgetResizable(!actual);
    Submit();
}

QSize CPreviewPane::RenderBox() const {
    if (m_actualSize) {
        return {};
    }
    return m_scroll->maximumViewportSize().expandedTo(kLeastBox);
}

void CPreviewPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!m_actualSize && m_haveRequest && RenderBox() != m_renderedBox) {
        m_debounce.start();
    }
}

void CPreviewPane::Submit() {
    m_debounce.stop();
    const CTaskSetting shaping = FrameShapingPart(m_setting);
    const QSize box = RenderBox();
    if (!m_forced && m_haveRequest && shaping == m_rendered && box == m_renderedBox) {
        return;
    }
    m_forced = false;
    m_haveRequest = true;
    m_rendered = shaping;
    m_renderedBox = box;
    for (int i = 0; i < 2; ++i) {
        const QFileInfo file(QString::fromStdString(m_setting.GetSrcPath(i)));
        m_stamps[std::size_t(i)] = {file.exists() ? file.size() : -1, file.lastModified()};
    }
    if (m_setting.GetSrcPath0().empty() && m_setting.GetSrcPath1().empty()) {
        m_failure.clear();
        m_mismatch = false;
        m_renderer->Cancel();
        m_request = 0;
        m_ended = 0;
        m_count = 0;
        m_frames.clear();
        UpdateView();
        return;
    }
    m_request = m_renderer->Submit({shaping, box});
}

void CPreviewPane::OnPreviewStarted(std::uint64_t request, std::size_t frames, QSize size,
                                    bool onDemand) {
    m_inbox->Post([=, this] { Started(request, frames, size, onDemand); });
}

void CPreviewPane::OnPreviewFrame(std::uint64_t request, std::size_t index, QImage frame) {
    m_inbox->Post([=, this] { FrameReady(request, index, frame); });
}

void CPreviewPane::OnPreviewFinished(std::uint64_t request) {
    m_inbox->Post([=, this] { Finished(request); });
}

void CPreviewPane::OnPreviewFailed(std::uint64_t request, CSimpleErr err) {
    m_inbox->Post([=, this] { Failed(request, err); });
}

void CPreviewPane::OnPreviewMismatch(std::uint64_t request, CPreviewMismatch mismatch) {
    m_inbox->Post([this, request, mismatch = std::move(mismatch)] { Mismatch(request, mismatch); });
}

CDifferenceView* CPreviewPane::Differences() {
    return m_stack->currentWidget() == m_differences ? m_differences : nullptr;
}

void CPreviewPane::Started(std::uint64_t request, std::size_t frames, QSize size, bool onDemand) {
    if (request != m_request) {
        return;
    }
    m_failure.clear();
    m_mismatch = false;
    m_count = frames;
    m_onDemand = onDemand;
    m_frames.assign(onDemand ? 0 : frames, QImage());
    m_current = frames == 0 ? 0 : std::min(m_current, frames - 1);
    m_loopsDone = 0;
    if (m_actualSize) {
        m_canvas->resize(size);
    }
    if (onDemand) {
        m_ended = request;
        m_wanted = m_current;
        m_renderer->RequestFrame(m_request, m_current);
    }
    if (!m_userPaused) {
        Play();
    }
    UpdateView();
}

void CPreviewPane::FrameReady(std::uint64_t request, std::size_t index, const QImage& frame) {
    if (request != m_request || index >= m_count) {
        return;
    }
    if (m_onDemand) {
        if (index == m_wanted) {
            m_current = index;
            m_canvas->SetImage(frame);
            UpdateControls();
        }
        return;
    }
    m_frames[index] = frame;
    if (index == m_current) {
        m_canvas->SetImage(frame);
        UpdateControls();
    }
}

void CPreviewPane::Finished(std::uint64_t request) {
    if (request == m_request) {
        m_ended = request;
    }
}

void CPreviewPane::Mismatch(std::uint64_t request, const CPreviewMismatch& mismatch) {
    if (request != m_request) {
        return;
    }
    m_ended = request;
    m_failure.clear();
    m_mismatch = true;
    m_count = 0;
    m_frames.clear();
    m_canvas->SetImage({});
    m_differences->Show(mismatch);
    UpdateView();
}

void CPreviewPane::Failed(std::uint64_t request, const CSimpleErr& err) {
    if (request != m_request) {
        return;
    }
    m_ended = request;
    m_mismatch = false;
    m_failure = QString::fromStdString(err.m_text);
    m_count = 0;
    m_frames.clear();
    m_canvas->SetImage({});
    UpdateView();
}

void CPreviewPane::Play() {
    m_userPaused = false;
    m_playing = true;
    if (m_count > 0 && m_current + 1 >= m_count && m_loopsDone > 0) {
        // Played out: start over from the first frame.
        m_loopsDone = 0;
        ShowFrame(0);
    }
    UpdatePlaybackTiming();
    UpdateControls();
}

void CPreviewPane::Pause() {
    m_playing = false;
    m_playTimer.stop();
    UpdateControls();
}

void CPreviewPane::TogglePlay() {
    if (m_playing) {
        Pause();
        m_userPaused = true;
    } else {
        Play();
    }
}

void CPreviewPane::Step(int delta) {
    Pause();
    m_userPaused = true;
    if (m_count == 0) {
        return;
    }
    const auto count = static_cast<std::int64_t>(m_count);
    const std::int64_t next =
        ((static_cast<std::int64_t>(m_current) + delta) % count + count) % count;
    ShowFrame(std::size_t(next));
}

void CPreviewPane::ShowFrame(std::size_t index) {
    if (index >= m_count) {
        return;
    }
    if (m_onDemand) {
        m_wanted = index;
        m_renderer->RequestFrame(m_request, index);
        return;
    }
    m_current = index;
    if (!m_frames[index].isNull()) {
        m_canvas->SetImage(m_frames[index]);
    }
    UpdateControls();
}

void CPreviewPane::Tick() {
    // A frame still being rendered holds playback until it is there.
    if (m_count == 0 || (m_onDemand && m_wanted != m_current)) {
        return;
    }
    const bool wraps = m_current + 1 >= m_count;
    const std::size_t next = wraps ? 0 : m_current + 1;
    if (!m_onDemand && m_frames[next].isNull()) {
        return;
    }
    if (wraps) {
        ++m_loopsDone;
        const int loops = m_setting.GetLoopCount();
        if (loops > 0 && m_loopsDone >= loops) {
            // A counted animation stops on its last frame.
            Pause();
            return;
        }
    }
    ShowFrame(next);
}

void CPreviewPane::UpdatePlaybackTiming() {
    CTaskSetting timing;
    timing.SetFrameRate(m_setting.GetFrameRate());
    timing.SetLoopCount(m_setting.GetLoopCount());
    m_playbackProblem.clear();
    try {
        // The Generate command's own checks give the message for a rate or count it refuses.
        timing.ValidateForGenerate();
    } catch (const my::CException& e) {
        m_playbackProblem = QString::fromStdString(e.m_text);
    }
    if (!m_playbackProblem.isEmpty() || !m_playing || m_count == 0) {
        m_playTimer.stop();
        return;
    }
    // The delay every written frame carries, in hundredths of a second; at least one, as a
    // timer without a pause would keep the window busy.
    const std::uint32_t delay = std::max<std::uint32_t>(FrameDelay(m_setting.GetFrameRate()), 1);
    const int interval = static_cast<int>(delay) * 10;
    if (!m_playTimer.isActive() || m_playTimer.interval() != interval) {
        m_playTimer.start(interval);
    }
}

bool CPreviewPane::AllFramesReady() const {
    return m_count > 0 && !m_onDemand &&
           std::none_of(m_frames.begin(), m_frames.end(),
                        [](const QImage& frame) { return frame.isNull(); });
}

QImage CPreviewPane::Frame(std::size_t index) const {
    if (m_onDemand) {
        return index == m_current ? m_canvas->Image() : QImage();
    }
    return index < m_frames.size() ? m_frames[index] : QImage();
}

QString CPreviewPane::Message() const {
    return m_stack->currentWidget() == m_message ? m_message->text() : QString();
}

QString CPreviewPane::PositionText() const {
    return m_position->text();
}

void CPreviewPane::UpdateView() {
    QString text = m_failure;
    if (text.isEmpty()) {
        text = m_playbackProblem;
    }
    if (text.isEmpty() && m_setting.GetSrcPath0().empty() && m_setting.GetSrcPath1().empty()) {
        text = Text(IDS_PREVIEW_NO_IMAGES);
    }
    if (text.isEmpty() && m_mismatch) {
        m_stack->setCurrentWidget(m_differences);
    } else if (text.isEmpty()) {
        m_stack->setCurrentWidget(m_scroll);
    } else {
        m_message->setText(text);
        m_stack->setCurrentWidget(m_message);
    }
    UpdatePlaybackTiming();
    UpdateControls();
}

void CPreviewPane::UpdateControls() {
    const bool frames = m_count > 0 && m_stack->currentWidget() == m_scroll;
    for (QWidget* control : {static_cast<QWidget*>(m_play), static_cast<QWidget*>(m_previous),
                             static_cast<QWidget*>(m_next), static_cast<QWidget*>(m_slider)}) {
        control->setEnabled(frames);
    }
    const std::uint32_t action = m_playing ? IDS_PREVIEW_PAUSE : IDS_PREVIEW_PLAY;
    m_play->setIcon(
        style()->standardIcon(m_playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_play->setToolTip(Text(action));
    m_play->setAccessibleName(Text(action));
    {
        const QSignalBlocker quiet(m_slider);
        m_slider->setRange(0, static_cast<int>(m_count > 0 ? m_count - 1 : 0));
        m_slider->setValue(static_cast<int>(m_current));
    }
    QString position;
    if (frames) {
        const std::vector<std::string> args{std::to_string(m_current + 1), std::to_string(m_count)};
        const bool ready = m_onDemand ? m_wanted == m_current : !m_frames[m_current].isNull();
        position = Format(ready ? IDS_PREVIEW_FRAME_OF : IDS_PREVIEW_RENDERING, args);
    }
    m_position->setText(position);
    m_position->setToolTip(m_onDemand
                               ? Format(IDS_PREVIEW_ON_DEMAND,
                                        {std::to_string(m_renderer->MemoryCap() / (1024 * 1024))})
                               : QString());
    m_canvas->setAccessibleDescription(m_position->text());
}

void CPreviewPane::WatchDrawings() {
    QStringList wanted;
    for (int i = 0; i < 2; ++i) {
        const QString path = QString::fromStdString(m_setting.GetSrcPath(i));
        if (path.isEmpty()) {
            continue;
        }
        // The folder too: an editor that saves by renaming a new file over the old one ends
        // the watch of the file, and a drawing that appears is noticed in its folder.
        const QFileInfo file(path);
        if (file.exists()) {
            wanted << file.absoluteFilePath();
        }
        if (file.absoluteDir().exists()) {
            wanted << file.absolutePath();
        }
    }
    QStringList watched = m_watcher->files() + m_watcher->directories();
    QStringList stale;
    for (const QString& path : watched) {
        if (!wanted.contains(path)) {
            stale << path;
        }
    }
    if (!stale.isEmpty()) {
        m_watcher->removePaths(stale);
    }
    QStringList added;
    for (const QString& path : wanted) {
        if (!watched.contains(path) && !added.contains(path)) {
            added << path;
        }
    }
    if (!added.isEmpty()) {
        m_watcher->addPaths(added);
    }
}

bool CPreviewPane::DrawingsChanged() const {
    for (int i = 0; i < 2; ++i) {
        const QFileInfo file(QString::fromStdString(m_setting.GetSrcPath(i)));
        const std::pair<qint64, QDateTime> stamp{file.exists() ? file.size() : -1,
                                                 file.lastModified()};
        if (stamp != m_stamps[std::size_t(i)]) {
            return true;
        }
    }
    return false;
}

} // namespace mrv
