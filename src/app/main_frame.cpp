#include "app/main_frame.h"

#include "app/form_text.h"
#include "app/generation.h"
#include "app/main_view.h"
#include "app/msg.h"
#include "app/placement.h"
#include "app/preview_pane.h"
#include "common/message_ids.h"
#include "common/messages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <algorithm>

namespace mrv {

namespace {

constexpr int kRecentFirst = 57616;
constexpr int kRecentLast = 57631;

QString Text(std::uint32_t id) {
    return QString::fromStdString(std::string(my::MessageText(id)));
}

CRect ToRect(const QRect& r) {
    return CRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

} // namespace

CMainFrame::CMainFrame(CApp& app) : m_app(app) {
    m_app.m_frame = this;
    // The preview takes the room the window gains beyond the form.
    auto* split = new QSplitter(Qt::Horizontal, this);
    m_view = new CMainView(app, split);
    m_app.m_view = m_view;
    m_preview = new CPreviewPane(split);
    split->addWidget(m_view);
    split->addWidget(m_preview);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setChildrenCollapsible(false);
    setCentralWidget(split);
    setAcceptDrops(true);

    m_quit = std::make_unique<CCommandQuit>(app);
    m_open = std::make_unique<CCommandOpen>(app);
    m_new = std::make_unique<CCommandNew>(app);
    m_openFolder = std::make_unique<CCommandOpenFolder>(app);
    m_init = std::make_unique<CCommandInit>(app, *m_quit, *m_open);
    m_save = std::make_unique<CCommandSave>(app, false);
    m_saveAs = std::make_unique<CCommandSave>(app, true);
    m_drop = std::make_unique<CCommandDropOpen>(app, *m_open);
    m_commands[kCmdBrowseStart] = std::make_unique<CCommandOpenSrcPath>(app, 0);
    m_commands[kCmdBrowseEnd] = std::make_unique<CCommandOpenSrcPath>(app, 1);
    m_commands[kCmdBrowseFolder] = std::make_unique<CCommandOpenDstFolder>(app);
    m_commands[kCmdShowStart] = std::make_unique<CCommandExplorerPath>(app, 0);
    m_commands[kCmdShowEnd] = std::make_unique<CCommandExplorerPath>(app, 1);
    m_commands[kCmdShowOutput] = std::make_unique<CCommandExplorerPath>(app, -1);
    m_commands[kCmdOpenStart] = std::make_unique<CCommandShellOpenPath>(app, 0);
    m_commands[kCmdOpenEnd] = std::make_unique<CCommandShellOpenPath>(app, 1);
    m_commands[kCmdOpenOutput] = std::make_unique<CCommandShellOpenPath>(app, -1);
    m_commands[58375] = std::make_unique<CCommandOpenUrl>(app, IDS_URL_HOME);
    m_commands[58376] = std::make_unique<CCommandOpenUrl>(app, IDS_URL_USAGE);

    m_view->SetCommandHandler([this](int id) { RunCommand(id); });
    m_view->SetChangeHandler([this] {
        ClearRunReport();
        m_preview->SetSetting(m_app.m_doc.GetTask());
    });
    m_runReport = new QLabel(statusBar());
    m_openRunFolder = new QPushButton(Text(IDS_OPEN_OUTPUT_FOLDER), statusBar());
    m_openRunFolder->setVisible(false);
    connect(m_openRunFolder, &QPushButton::clicked, this,
            [this] { m_openFolder->Execute(true, false); });
    statusBar()->addWidget(m_runReport);
    statusBar()->addWidget(m_openRunFolder);
    m_app.m_doc.AddRecordListener([this] { m_view->Fill(); });
    m_app.m_doc.AddPathListener([this] { UpdateTitle(); });
    m_view->m_generate->setEnabled(false);
    BuildMenu();
    UpdateTitle();
}

void CMainFrame::SetGeneration(std::unique_ptr<CGeneration> generation) {
    m_generation = std::move(generation);
    m_commands[kCmdGenerate] = std::make_unique<CCommandExec>(m_app.m_msg, *m_generation);
    m_timer = std::make_unique<CCommandTimer>(m_app.m_msg, *m_generation);
    connect(&m_view->GetTimer(), &QTimer::timeout, this, [this] { m_timer->Execute(true, false); });
    m_view->m_generate->setEnabled(true);
}

CMainFrame::~CMainFrame() {
    if (m_generation) {
        m_generation->Shutdown();
    }
    m_app.m_frame = nullptr;
    m_app.m_view = nullptr;
}

bool CMainFrame::Init() {
    m_init->Execute(true, false);
    return m_init->Accepted();
}

void CMainFrame::BuildMenu() {
    m_fileMenu = menuBar()->addMenu(FormQText(IDS_MENU_FILE));
    QAction* fresh = m_fileMenu->addAction(FormQText(IDS_MENU_NEW));
    fresh->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(fresh, &QAction::triggered, this, [this] { m_new->Execute(true, false); });
    QAction* open = m_fileMenu->addAction(FormQText(IDS_MENU_OPEN));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(open, &QAction::triggered, this, [this] { m_open->Execute(true, false); });
    QAction* save = m_fileMenu->addAction(FormQText(IDS_MENU_SAVE));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, [this] { m_save->Execute(true, false); });
    QAction* saveAs = m_fileMenu->addAction(FormQText(IDS_MENU_SAVE_AS));
    connect(saveAs, &QAction::triggered, this, [this] { m_saveAs->Execute(true, false); });
    m_fileMenu->addSeparator();
    m_recentAnchor = m_fileMenu->addSeparator();
    QAction* exit = m_fileMenu->addAction(FormQText(IDS_MENU_EXIT));
    exit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    connect(exit, &QAction::triggered, this, [this] { close(); });

    QMenu* help = menuBar()->addMenu(FormQText(IDS_MENU_HELP));
    QAction* about = help->addAction(FormQText(IDS_MENU_ABOUT));
    connect(about, &QAction::triggered, this, [this] {
        const std::string name(my::MessageText(IDS_APP_NAME));
        const std::string home(my::MessageText(IDS_URL_HOME));
        QMessageBox::about(this, Text(IDS_APP_NAME),
                           QString::fromStdString(my::FormatMessage(
                               IDS_ABOUT_TEXT, std::vector<std::string>{name, home, home})));
    });
    QAction* home = help->addAction(FormQText(IDS_MENU_HOME_PAGE));
    connect(home, &QAction::triggered, this, [this] { RunCommand(58375); });
    QAction* usage = help->addAction(FormQText(IDS_MENU_USAGE_PAGE));
    connect(usage, &QAction::triggered, this, [this] { RunCommand(58376); });
    RebuildRecentMenu();
}

void CMainFrame::RebuildRecentMenu() {
    for (QAction* action : m_recentActions) {
        m_fileMenu->removeAction(action);
        action->deleteLater();
    }
    m_recentActions.clear();
    const auto& items = m_app.m_setting.m_mruPathes.GetItems();
    const int count = std::min<int>(static_cast<int>(items.size()), kRecentLast - kRecentFirst + 1);
    if (count == 0) {
        auto* placeholder = new QAction(FormQText(IDS_MENU_RECENT_FILES), m_fileMenu);
        placeholder->setEnabled(false);
        m_fileMenu->insertAction(m_recentAnchor, placeholder);
        m_recentActions.push_back(placeholder);
        return;
    }
    for (int i = 0; i < count; ++i) {
        const QString label = QStringLiteral("&%1 %2").arg(i + 1).arg(
            QString::fromStdString(items[static_cast<std::size_t>(i)]));
        auto* action = new QAction(label, m_fileMenu);
        connect(action, &QAction::triggered, this,
                [this, i] { CCommandOpenMru(m_app, *m_open, i).Execute(true, false); });
        m_fileMenu->insertAction(m_recentAnchor, action);
        m_recentActions.push_back(action);
    }
}

void CMainFrame::UpdateTitle() {
    QString title = Text(IDS_APP_NAME);
    const std::string& path = m_app.m_doc.GetPath();
    if (!path.empty()) {
        title += QStringLiteral(" - ") + QFileInfo(QString::fromStdString(path)).fileName();
    }
    setWindowTitle(title);
}

void CMainFrame::RunCommand(int id) {
    const auto found = m_commands.find(id);
    if (found != m_commands.end()) {
        found->second->Execute(true, false);
    }
}

void CMainFrame::Drop(std::vector<std::string> paths, DropTarget target) {
    m_drop->SetDrop(std::move(paths), target);
    m_drop->Execute(true, false);
}

void CMainFrame::ApplyPlacement() {
    CWindowPlacement& placement = m_app.m_setting.m_placement;
    CRect rect = placement.m_normalBounds;
    if (rect.IsEmpty()) {
        // Around the form the window adds the preview, its menu bar and status bar.
        const QSize form = m_view->minimumSize();
        const int bars = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
        rect = DefaultNormalRect(pos().x(), pos().y(), form.width(), form.height(),
                                 m_preview->sizeHint().width(), bars);
    }
    std::vector<CRect> screens;
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        screens.push_back(ToRect(primary->availableGeometry()));
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen()) {
            screens.push_back(ToRect(screen->availableGeometry()));
        }
    }
    rect = FitToScreens(rect, screens);
    // A rectangle below the window's minimum would grow past the screen's edge after it was
    // fitted; it grows first and is fitted again.
    const QSize least = minimumSizeHint().expandedTo(minimumSize());
    rect.right = std::max(rect.right, rect.left + least.width());
    rect.bottom = std::max(rect.bottom, rect.top + least.height());
    rect = FitToScreens(rect, screens);
    placement.m_normalBounds = rect;
    m_normal = rect;
    m_placed = true;
    PlaceNormal();
    if (placement.m_maximized) {
        showMaximized();
    }
    if (placement.m_fullScreen) {
        SetFullScreen(true);
    }
}

void CMainFrame::StorePlacement(CWindowPlacement& placement) const {
    placement.m_maximized = isMaximized() || (m_fullScreen && placement.m_maximized);
    placement.m_fullScreen = m_fullScreen;
    placement.m_normalBounds = m_normal;
}

void CMainFrame::SetFullScreen(bool on) {
    if (on == m_fullScreen) {
        return;
    }
    m_fullScreen = on;
    if (on) {
        showFullScreen();
    } else {
        showNormal();
        PlaceNormal();
    }
}

void CMainFrame::RequestClose() {
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
}

void CMainFrame::TrackNormalRect() {
    if (!m_placed || m_fullScreen || isMaximized() || isMinimized() || !isVisible()) {
        return;
    }
    const QPoint corner = frameGeometry().topLeft();
    m_normal = CRect{corner.x(), corner.y(), corner.x() + width(), corner.y() + height()};
}

void CMainFrame::PlaceNormal() {
    // move() places the frame's corner (the window manager adds the frame around the window
    // when it is shown), resize() sizes the window itself.
    move(m_normal.left, m_normal.top);
    resize(m_normal.right - m_normal.left, m_normal.bottom - m_normal.top);
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    TrackNormalRect();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    TrackNormalRect();
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == static_cast<QEvent::Type>(kToggleFullScreenEvent)) {
        SetFullScreen(!m_fullScreen);
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::ShowRunReport(const std::string& text, const std::string& folder) {
    m_runReport->setText(QString::fromStdString(text));
    m_openFolder->SetFolder(folder);
    m_openRunFolder->setVisible(!folder.empty());
}

void CMainFrame::ClearRunReport() {
    m_runReport->clear();
    m_openRunFolder->setVisible(false);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_closed) {
        // Changes not in the project's file are asked about first (once start-up went
        // through); Cancel keeps the window, and a run, going.
        if (!m_quit->GetNoSave() && !SaveModified(m_app)) {
            event->ignore();
            return;
        }
        m_closed = true;
        // A running generation is stopped and waited for; no question is asked.
        if (m_generation) {
            m_generation->Shutdown();
        }
        m_quit->Execute(true, false);
    }
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

DropTarget CMainFrame::TargetAt(const QPoint& pos) const {
    for (QWidget* w = childAt(pos); w != nullptr; w = w->parentWidget()) {
        if (w == m_view->m_srcPath0) {
            return DropTarget::StartImage;
        }
        if (w == m_view->m_srcPath1) {
            return DropTarget::EndImage;
        }
        if (w == m_view->m_dstFolder) {
            return DropTarget::OutputFolder;
        }
        if (w == m_view->m_dstName) {
            return DropTarget::OutputName;
        }
    }
    return DropTarget::Elsewhere;
}

void CMainFrame::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.push_back(url.toLocalFile().toStdString());
        }
    }
    if (paths.empty()) {
        return;
    }
    event->acceptProposedAction();
    raise();
    activateWindow();
    Drop(std::move(paths), TargetAt(event->position().toPoint()));
}

} // namespace mrv
