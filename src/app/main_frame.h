// mrv::CMainFrame: the main window - the form with the live preview beside it, menu and
// accelerators, recent files, the title, the placement kept for the settings file, full screen,
// dropped files - and the command table.
#pragma once

#include "app/app_context.h"
#include "app/commands.h"

#include <QMainWindow>
#include <map>
#include <memory>

class QLabel;
class QMenu;
class QPushButton;

namespace mrv {

class CMainView;
class CGeneration;
class CPreviewPane;

class CMainFrame : public QMainWindow {
public:
    // The first application-defined event number toggles full screen.
    static constexpr int kToggleFullScreenEvent = 1000; // QEvent::User

    explicit CMainFrame(CApp& app);
    ~CMainFrame() override;

    // Runs the start command; false when start-up was declined (the window then closes).
    [[nodiscard]] bool Init();

    CMainView& GetView() { return *m_view; }
    CPreviewPane& GetPreview() { return *m_preview; }
    // Installs the generation behind the Generate button and the form's timer; until one is
    // installed the button stays disabled.
    void SetGeneration(std::unique_ptr<CGeneration> generation);
    CGeneration* GetGeneration() { return m_generation.get(); }
    // Runs a command by its identifier (menu items, form buttons).
    void RunCommand(int id);
    // Runs the drop command as if paths had been dropped on target.
    void Drop(std::vector<std::string> paths, DropTarget target);

    void UpdateTitle();
    void RebuildRecentMenu();
    // Restores the stored placement: a first run gets a default rectangle; the rectangle is
    // moved onto the screen it mostly lies on (or the nearest), then maximised and full-screen
    // states follow. The rectangle holds where the frame's corner is and how large the window
    // is without its frame: the frame that the window manager adds is not known before the
    // window is shown, so its size is neither stored nor restored, and the window keeps its
    // place and size from one start to the next.
    void ApplyPlacement();
    // The placement to store at quit.
    void StorePlacement(CWindowPlacement& placement) const;
    void RequestClose();
    void SetFullScreen(bool on);
    bool IsFullScreen() const { return m_fullScreen; }
    const CRect& GetNormalRect() const { return m_normal; }

    CCommandQuit& GetQuitCommand() { return *m_quit; }

    // The status bar's report of a finished run, with a button that opens the folder written
    // to; cleared when a run starts or the form changes.
    void ShowRunReport(const std::string& text, const std::string& folder);
    void ClearRunReport();
    QLabel* GetRunReport() const { return m_runReport; }
    QPushButton* GetOpenRunFolderButton() const { return m_openRunFolder; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;

private:
    void BuildMenu();
    void TrackNormalRect();
    void PlaceNormal();
    DropTarget TargetAt(const QPoint& pos) const;

    CApp& m_app;
    CMainView* m_view;
    CPreviewPane* m_preview;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentAnchor = nullptr;
    std::vector<QAction*> m_recentActions;
    bool m_fullScreen = false;
    bool m_placed = false;
    bool m_closed = false;
    // The normal-state rectangle: the frame's top-left corner in screen coordinates and the
    // window's own size without the frame.
    CRect m_normal;
    QLabel* m_runReport = nullptr;
    QPushButton* m_openRunFolder = nullptr;

    std::unique_ptr<CCommandQuit> m_quit;
    std::unique_ptr<CCommandOpen> m_open;
    std::unique_ptr<CCommandNew> m_new;
    std::unique_ptr<CCommandOpenFolder> m_openFolder;
    std::unique_ptr<CCommandInit> m_init;
    std::unique_ptr<CCommandSave> m_save;
    std::unique_ptr<CCommandSave> m_saveAs;
    std::unique_ptr<CCommandDropOpen> m_drop;
    std::unique_ptr<CGeneration> m_generation;
    std::unique_ptr<CCommand> m_timer;
    std::map<int, std::unique_ptr<CCommand>> m_commands; // the form's buttons, the web pages
};

} // namespace mrv
