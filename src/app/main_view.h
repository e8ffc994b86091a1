// mrv::CMainView: the form - every field of the open project's task record as a bound
// control, the enabling rules, the output summary line, the lists behind the path and name
// boxes, and the Generate button with its progress bar.
#pragma once

#include "app/bound_controls.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

namespace mrv {

struct CApp;

// Identifiers of the form's buttons, as the frame routes them to commands.
enum FormCommand : int {
    kCmdGenerate = 1,
    kCmdBrowseStart = 208,
    kCmdBrowseEnd = 209,
    kCmdBrowseFolder = 210,
    kCmdShowStart = 211,
    kCmdShowEnd = 212,
    kCmdShowOutput = 213,
    kCmdOpenStart = 214,
    kCmdOpenEnd = 215,
    kCmdOpenOutput = 216,
};

class CMainView : public QWidget {
public:
    explicit CMainView(CApp& app, QWidget* parent = nullptr);

    // Called with a button's identifier when it is clicked.
    void SetCommandHandler(std::function<void(int)> handler) { m_onCommand = std::move(handler); }
    // Called when a field changes or another record is shown (the last run's report is old).
    void SetChangeHandler(std::function<void()> handler) { m_onChange = std::move(handler); }

    // Stores what each box shows but the user has not committed yet; false when a box's text
    // was refused (the refusal was shown). Save, Generate and closing call it first.
    bool CommitEdits();

    // Shows the whole record: every control, the lists, the enabling rules and the summary.
    void Fill();
    void RefreshControls();
    // Fills every path and name box from its list again, keeping the texts shown.
    void RefillLists();
    void ApplyRules();
    void UpdateSummary();

    // Generation state shown by the form: the caption of the Generate button and the bar.
    void ShowRunning();
    // Disables the button while a run stops, first moving the focus on when it has it.
    void ShowCancelling();
    void ShowIdle();
    bool IsRunning() const { return m_running; }
    // Empties the progress bar (the form no longer shows what the last run made).
    void ResetProgress();
    QTimer& GetTimer() { return m_timer; }

    // The controls, in tab order.
    CComboBoxString* m_srcPath0;
    QPushButton* m_browse0;
    QPushButton* m_show0;
    QPushButton* m_open0;
    CComboBoxString* m_srcPath1;
    QPushButton* m_browse1;
    QPushButton* m_show1;
    QPushButton* m_open1;
    CComboBoxEnum* m_dstFormat;
    CButtonFlags* m_autoTrimFrames;
    CComboBoxString* m_dstFolder;
    QPushButton* m_browseFolder;
    QPushButton* m_showOutput;
    QPushButton* m_openOutput;
    CComboBoxString* m_dstName;
    CComboBoxDigits* m_digits;
    CComboBoxInt<0>* m_startNo;
    CComboBoxInt<0>* m_interFrameCount;
    CComboBoxEnum* m_roundType;
    std::vector<CButtonFlags*> m_roundFlags;
    CComboBoxEnum* m_interpolateType;
    CComboBoxDouble<2>* m_interpolateAmp;
    CComboBoxInt<2>* m_frameRate;
    CComboBoxInt<0>* m_loopCount;
    QLabel* m_summary;
    CButtonFlags* m_phase;
    CComboBoxDouble<2>* m_phaseMultiple;
    CComboBoxString* m_braceOpen;
    CComboBoxString* m_braceClose;
    CButtonFlags* m_resize;
    CComboBoxInt<0>* m_width;
    CComboBoxInt<0>* m_height;
    CButtonFlags* m_keepProportion;
    CButtonFlags* m_autoTrim;
    CComboBoxDouble<2>* m_dpi;
    CButtonFlags* m_bkColorOn;
    CColorBtn* m_bkColor;
    QPushButton* m_generate;
    QProgressBar* m_progress;

protected:
    // Enter in a field commits it and presses the default button (Generate); Enter that no
    // control took (a list, a check box) presses it too.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Build();
    void Bind();
    QPushButton* MakeButton(int id, QWidget* parent, bool browse);
    std::vector<CBoundControl*> Controls() const;
    std::vector<CBoundComboBox*> EditableBoxes() const;
    void OnFormChanged();
    void PressDefaultButton();

    CApp& m_app;
    std::function<void(int)> m_onCommand;
    std::function<void()> m_onChange;
    QString m_generateCaption;
    QTimer m_timer;
    bool m_running = false;
};

} // namespace mrv
