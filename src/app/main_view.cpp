#include "app/main_view.h"

#include "app/app_context.h"
#include "app/form_text.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "engine/task_setting.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QVBoxLayout>
#include <limits>

namespace mrv {

namespace {

QString Text(std::uint32_t id) {
    return QString::fromStdString(std::string(my::MessageText(id)));
}

// The part of a button's string after its line break: the tooltip.
QString TooltipOf(std::uint32_t id) {
    const QString text = Text(id);
    const int cut = text.indexOf(QLatin1Char('\n'));
    return cut < 0 ? text : text.mid(cut + 1);
}

QLabel* Label(std::uint32_t id, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(FormQText(id), parent);
    label->setBuddy(buddy);
    return label;
}

// Task fields bound through an int, for the enumerations.
template <class E>
CSettingSetter<CTaskSetting, std::int32_t>::Getter EnumGetter(E (CTaskSetting::*get)() const) {
    return [get](const CTaskSetting& s) { return static_cast<std::int32_t>((s.*get)()); };
}
template <class E>
CSettingSetter<CTaskSetting, std::int32_t>::Setter EnumSetter(void (CTaskSetting::*set)(E)) {
    return [set](CTaskSetting& s, std::int32_t v) { (s.*set)(static_cast<E>(v)); };
}

bool IsEnter(const QKeyEvent& event) {
    return (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) &&
           (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

const std::vector<std::int32_t> kSizes{100, 120, 150, 160, 180, 200, 240, 250, 270, 300, 320,
                                       350, 360, 400, 420, 450, 480, 500, 520, 550, 580};
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();

} // namespace

CMainView::CMainView(CApp& app, QWidget* parent) : QWidget(parent), m_app(app) {
    Build();
    Bind();
    m_timer.setInterval(100);
}

QPushButton* CMainView::MakeButton(int id, QWidget* parent, bool browse) {
    QPushButton* button = nullptr;
    if (browse) {
        button = new QPushButton(FormQText(IDS_FORM_BROWSE), parent);
    } else {
        const bool show = id == kCmdShowStart || id == kCmdShowEnd || id == kCmdShowOutput;
        const QIcon icon = style()->standardIcon(show ? QStyle::SP_DirOpenIcon
                                                      : QStyle::SP_FileDialogContentsView);
        button = new QPushButton(icon, QString(), parent);
    }
    button->setToolTip(TooltipOf(static_cast<std::uint32_t>(id)));
    // Enter on a focused button presses that button, not the default one.
    button->setAutoDefault(true);
    connect(button, &QPushButton::clicked, this, [this, id] {
        if (m_onCommand) {
            m_onCommand(id);
        }
    });
    return button;
}

void CMainView::Build() {
    auto* root = new QVBoxLayout(this);

    auto* images = new QGroupBox(FormQText(IDS_FORM_IMAGES_GROUP), this);
    auto* imagesGrid = new QGridLayout(images);
    m_srcPath0 = new CComboBoxString(images);
    m_browse0 = MakeButton(kCmdBrowseStart, images, true);
    m_show0 = MakeButton(kCmdShowStart, images, false);
    m_open0 = MakeButton(kCmdOpenStart, images, false);
    m_srcPath1 = new CComboBoxString(images);
    m_browse1 = MakeButton(kCmdBrowseEnd, images, true);
    m_show1 = MakeButton(kCmdShowEnd, images, false);
    m_open1 = MakeButton(kCmdOpenEnd, images, false);
    imagesGrid->addWidget(Label(IDS_FORM_START, m_srcPath0, images), 0, 0);
    imagesGrid->addWidget(m_srcPath0, 0, 1);
    imagesGrid->addWidget(m_browse0, 0, 2);
    imagesGrid->addWidget(m_show0, 0, 3);
    imagesGrid->addWidget(m_open0, 0, 4);
    imagesGrid->addWidget(Label(IDS_FORM_END, m_srcPath1, images), 1, 0);
    imagesGrid->addWidget(m_srcPath1, 1, 1);
    imagesGrid->addWidget(m_browse1, 1, 2);
    imagesGrid->addWidget(m_show1, 1, 3);
    imagesGrid->addWidget(m_open1, 1, 4);
    imagesGrid->setColumnStretch(1, 1);
    root->addWidget(images);

    auto* output = new QGroupBox(FormQText(IDS_FORM_OUTPUT_GROUP), this);
    auto* outputGrid = new QGridLayout(output);
    m_dstFormat = new CComboBoxEnum({{FormText(IDS_FORMAT_PNG), 0},
                                     {FormText(IDS_FORMAT_APNG), 1},
                                     {FormText(IDS_FORMAT_GIF), 2},
                                     {FormText(IDS_FORMAT_AGIF), 3},
                                     {FormText(IDS_FORMAT_WEBP), 4}},
                                    output);
    m_webpQuality = new CComboBoxInt<0>(0, CTaskSetting::kWebpLossless, output);
    m_webpQuality->SetEntries({100, 95, 90, 85, 80, 75, 70, 60, 50});
    m_webpQuality->setToolTip(FormQText(IDS_WEBP_QUALITY_TOOLTIP));
    m_autoTrimFrames =
        new CButtonFlags(FormQText(IDS_FORM_AUTO_TRIM_FRAMES), TaskFlags::AutoTrimFrames, output);
    m_dstFolder = new CComboBoxString(output);
    m_browseFolder = MakeButton(kCmdBrowseFolder, output, true);
    m_showOutput = MakeButton(kCmdShowOutput, output, false);
    m_openOutput = MakeButton(kCmdOpenOutput, output, false);
    m_dstName = new CComboBoxString(output);
    m_digits = new CComboBoxDigits(output);
    m_startNo = new CComboBoxInt<0>(0, kIntMax, output);
    m_startNo->SetRange(0, 99);
    auto* kindRow = new QHBoxLayout;
    kindRow->addWidget(m_dstFormat);
    kindRow->addWidget(Label(IDS_WEBP_QUALITY_LABEL, m_webpQuality, output));
    kindRow->addWidget(m_webpQuality);
    kindRow->addWidget(m_autoTrimFrames);
    kindRow->addStretch();
    outputGrid->addWidget(Label(IDS_FORM_KIND, m_dstFormat, output), 0, 0);
    outputGrid->addLayout(kindRow, 0, 1);
    outputGrid->addWidget(Label(IDS_FORM_FOLDER, m_dstFolder, output), 1, 0);
    outputGrid->addWidget(m_dstFolder, 1, 1);
    outputGrid->addWidget(m_browseFolder, 1, 2);
    outputGrid->addWidget(m_showOutput, 1, 3);
    outputGrid->addWidget(m_openOutput, 1, 4);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(m_dstName, 1);
    nameRow->addWidget(Label(IDS_FORM_DIGITS, m_digits, output));
    nameRow->addWidget(m_digits);
    nameRow->addWidget(Label(IDS_FORM_START_NO, m_startNo, output));
    nameRow->addWidget(m_startNo);
    outputGrid->addWidget(Label(IDS_FORM_FILE_NAME, m_dstName, output), 2, 0);
    outputGrid->addLayout(nameRow, 2, 1);
    outputGrid->setColumnStretch(1, 1);
    root->addWidget(output);

    auto* animation = new QGroupBox(FormQText(IDS_FORM_ANIMATION_GROUP), this);
    auto* animationGrid = new QGridLayout(animation);
    m_interFrameCount = new CComboBoxInt<0>(0, CTaskSetting::kMaxInterFrameCount, animation);
    m_interFrameCount->SetRange(1, 99);
    m_roundType = new CComboBoxEnum({{FormText(IDS_FORM_ROUND_NONE), 0},
                                     {FormText(IDS_FORM_ROUND_REVERSE), 1},
                                     {FormText(IDS_FORM_ROUND_ROTATE), 2}},
                                    animation);
    const std::uint32_t reverseLabels[] = {IDS_FORM_REVERSE_COLOR, IDS_FORM_REVERSE_OPACITY,
                                           IDS_FORM_REVERSE_ANGLE, IDS_FORM_REVERSE_SCALE,
                                           IDS_FORM_REVERSE_START};
    for (int bit = 0; bit < 5; ++bit) {
        m_roundFlags.push_back(
            new CButtonFlags(FormQText(reverseLabels[bit]), 1u << bit, animation));
    }
    m_interpolateType = new CComboBoxEnum({{FormText(IDS_FORM_INTERPOLATE_LINEAR), 0},
                                           {FormText(IDS_FORM_INTERPOLATE_SINE), 1},
                                           {FormText(IDS_FORM_INTERPOLATE_CIRCLE), 2},
                                           {FormText(IDS_FORM_INTERPOLATE_ARC), 3}},
                                          animation);
    m_interpolateAmp = new CComboBoxDouble<2>(-100, 100, animation);
    m_interpolateAmp->SetEntries(
        {-10, -9, -8, -7, -6, -5, -4, -3, -2, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    m_frameRate = new CComboBoxInt<2>(1, 100000, animation);
    m_frameRate->SetEntries({100, 500, 1000, 1500, 2000, 2400, 2997, 3000});
    m_loopCount = new CComboBoxInt<0>(0, 65535, animation);
    m_loopCount->SetRange(0, 10);
    m_summary = new QLabel(animation);
    animationGrid->addWidget(Label(IDS_FORM_INTER_FRAME_COUNT, m_interFrameCount, animation), 0, 0);
    animationGrid->addWidget(m_interFrameCount, 0, 1);
    animationGrid->addWidget(Label(IDS_FORM_RETURN, m_roundType, animation), 0, 2);
    animationGrid->addWidget(m_roundType, 0, 3);
    auto* reverseRow = new QHBoxLayout;
    reverseRow->addWidget(new QLabel(FormQText(IDS_FORM_REVERSE_ON_RETURN), animation));
    for (CButtonFlags* box : m_roundFlags) {
        reverseRow->addWidget(box);
    }
    reverseRow->addStretch();
    animationGrid->addLayout(reverseRow, 1, 0, 1, 4);
    animationGrid->addWidget(Label(IDS_FORM_INTERPOLATE, m_interpolateType, animation), 2, 0);
    animationGrid->addWidget(m_interpolateType, 2, 1);
    animationGrid->addWidget(Label(IDS_FORM_AMPLITUDE, m_interpolateAmp, animation), 2, 2);
    animationGrid->addWidget(m_interpolateAmp, 2, 3);
    animationGrid->addWidget(Label(IDS_FORM_FRAME_RATE, m_frameRate, animation), 3, 0);
    animationGrid->addWidget(m_frameRate, 3, 1);
    animationGrid->addWidget(Label(IDS_FORM_LOOP_COUNT, m_loopCount, animation), 3, 2);
    animationGrid->addWidget(m_loopCount, 3, 3);
    animationGrid->addWidget(m_summary, 4, 0, 1, 4);
    root->addWidget(animation);

    // Phase and output size side by side, each a group whose first row is its switch.
    auto* middle = new QHBoxLayout;
    auto* phase = new QGroupBox(this);
    auto* phaseGrid = new QGridLayout(phase);
    m_phase = new CButtonFlags(FormQText(IDS_FORM_PHASE), TaskFlags::Phase, phase);
    m_phaseMultiple = new CComboBoxDouble<2>(-100, 100, phase);
    m_phaseMultiple->SetEntries({-10, -5, -2, -1, -0.5, 0.5, 1, 2, 5, 10});
    m_braceOpen = new CComboBoxString(phase);
    // Bracket characters, values of the setting: the two Japanese ones written as escapes.
    m_braceOpen->SetEntries({"{", "(", "[", "<", "\u300C", "\u3010"});
    m_braceClose = new CComboBoxString(phase);
    m_braceClose->SetEntries({"}", ")", "]", ">", "\u300D", "\u3011"});
    phaseGrid->addWidget(m_phase, 0, 0, 1, 2);
    phaseGrid->addWidget(Label(IDS_FORM_PHASE_MULTIPLE, m_phaseMultiple, phase), 1, 0);
    phaseGrid->addWidget(m_phaseMultiple, 1, 1);
    phaseGrid->addWidget(Label(IDS_FORM_BRACE_OPEN, m_braceOpen, phase), 2, 0);
    phaseGrid->addWidget(m_braceOpen, 2, 1);
    phaseGrid->addWidget(Label(IDS_FORM_BRACE_CLOSE, m_braceClose, phase), 3, 0);
    phaseGrid->addWidget(m_braceClose, 3, 1);
    phaseGrid->setRowStretch(4, 1);
    middle->addWidget(phase);

    auto* size = new QGroupBox(this);
    auto* sizeGrid = new QGridLayout(size);
    m_resize = new CButtonFlags(FormQText(IDS_FORM_RESIZE), TaskFlags::Resize, size);
    m_width = new CComboBoxInt<0>(1, kIntMax, size);
    m_width->SetEntries(kSizes);
    m_height = new CComboBoxInt<0>(1, kIntMax, size);
    m_height->SetEntries(kSizes);
    m_keepProportion =
        new CButtonFlags(FormQText(IDS_FORM_KEEP_PROPORTION), TaskFlags::KeepProportion, size);
    m_autoTrim = new CButtonFlags(FormQText(IDS_FORM_AUTO_TRIM), TaskFlags::AutoTrim, size);
    m_dpi = new CComboBoxDouble<2>(1, 100000, size);
    m_dpi->SetEntries({72, 100, 144, 150, 288, 300, 350, 360, 400, 420, 450, 480, 576, 600});
    sizeGrid->addWidget(m_resize, 0, 0, 1, 4);
    sizeGrid->addWidget(Label(IDS_FORM_WIDTH, m_width, size), 1, 0);
    sizeGrid->addWidget(m_width, 1, 1);
    sizeGrid->addWidget(Label(IDS_FORM_HEIGHT, m_height, size), 1, 2);
    sizeGrid->addWidget(m_height, 1, 3);
    sizeGrid->addWidget(m_keepProportion, 2, 0, 1, 4);
    sizeGrid->addWidget(m_autoTrim, 3, 0, 1, 4);
    sizeGrid->addWidget(Label(IDS_FORM_RESOLUTION, m_dpi, size), 4, 0);
    sizeGrid->addWidget(m_dpi, 4, 1);
    sizeGrid->addWidget(new QLabel(FormQText(IDS_FORM_DPI), size), 4, 2);
    middle->addWidget(size, 1);

    auto* background = new QGroupBox(this);
    auto* backgroundGrid = new QVBoxLayout(background);
    m_bkColorOn = new CButtonFlags(FormQText(IDS_FORM_BACKGROUND), TaskFlags::BkColor, background);
    m_bkColor = new CColorBtn(background);
    m_bkColor->setAutoDefault(true);
    backgroundGrid->addWidget(m_bkColorOn);
    backgroundGrid->addWidget(m_bkColor);
    backgroundGrid->addStretch();
    middle->addWidget(background);
    root->addLayout(middle);

    auto* bottom = new QHBoxLayout;
    m_generate = new QPushButton(FormQText(IDS_FORM_GENERATE), this);
    m_generate->setDefault(true);
    m_generate->setAutoDefault(true);
    m_generateCaption = m_generate->text();
    connect(m_generate, &QPushButton::clicked, this, [this] {
        if (m_onCommand) {
            m_onCommand(kCmdGenerate);
        }
    });
    m_progress = new QProgressBar(this);
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    bottom->addWidget(m_progress, 1);
    bottom->addWidget(m_generate);
    root->addLayout(bottom);
    root->addStretch();

    const std::vector<QWidget*> order{m_srcPath0,        m_browse0,         m_show0,
                                      m_open0,           m_srcPath1,        m_browse1,
                                      m_show1,           m_open1,           m_dstFormat,
                                      m_webpQuality,     m_autoTrimFrames,  m_dstFolder,
                                      m_browseFolder,    m_showOutput,      m_openOutput,
                                      m_dstName,         m_digits,          m_startNo,
                                      m_interFrameCount, m_roundType,       m_roundFlags[0],
                                      m_roundFlags[1],   m_roundFlags[2],   m_roundFlags[3],
                                      m_roundFlags[4],   m_interpolateType, m_interpolateAmp,
                                      m_frameRate,       m_loopCount,       m_phase,
                                      m_phaseMultiple,   m_braceOpen,       m_braceClose,
                                      m_resize,          m_width,           m_height,
                                      m_keepProportion,  m_autoTrim,        m_dpi,
                                      m_bkColorOn,       m_bkColor,         m_generate};
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
    setMinimumSize(sizeHint());
}

void CMainView::Bind() {
    CTaskSetting* task = &m_app.m_doc.GetTask();
    CAppSetting& setting = m_app.m_setting;
    m_srcPath0->Bind(task, &CTaskSetting::GetSrcPath0, &CTaskSetting::SetSrcPath0);
    m_srcPath0->SetList(&setting.m_srcPathes0);
    m_srcPath1->Bind(task, &CTaskSetting::GetSrcPath1, &CTaskSetting::SetSrcPath1);
    m_srcPath1->SetList(&setting.m_srcPathes1);
    m_dstFormat->Bind(task, EnumGetter(&CTaskSetting::GetDstFormat),
                      EnumSetter(&CTaskSetting::SetDstFormat));
    m_webpQuality->Bind(task, &CTaskSetting::GetWebpQuality, &CTaskSetting::SetWebpQuality);
    m_autoTrimFrames->Bind(task);
    m_dstFolder->Bind(task, &CTaskSetting::GetDstFolder, &CTaskSetting::SetDstFolder);
    m_dstFolder->SetList(&setting.m_dstFolders);
    m_dstName->Bind(task, &CTaskSetting::GetDstName, &CTaskSetting::SetDstName);
    m_dstName->SetList(&setting.m_dstNames);
    m_digits->Bind(task, &CTaskSetting::GetDigits, &CTaskSetting::SetDigits);
    m_startNo->Bind(task, &CTaskSetting::GetStartNo, &CTaskSetting::SetStartNo);
    m_interFrameCount->Bind(task, &CTaskSetting::GetInterFrameCount,
                            &CTaskSetting::SetInterFrameCount);
    m_roundType->Bind(task, EnumGetter(&CTaskSetting::GetRoundType),
                      EnumSetter(&CTaskSetting::SetRoundType));
    m_interpolateType->Bind(task, EnumGetter(&CTaskSetting::GetInterpolateType),
                            EnumSetter(&CTaskSetting::SetInterpolateType));
    m_interpolateAmp->Bind(task, &CTaskSetting::GetInterpolateAmp,
                           &CTaskSetting::SetInterpolateAmp);
    m_frameRate->Bind(task, &CTaskSetting::GetFrameRate, &CTaskSetting::SetFrameRate);
    m_loopCount->Bind(task, &CTaskSetting::GetLoopCount, &CTaskSetting::SetLoopCount);
    m_phase->Bind(task);
    m_phaseMultiple->Bind(task, &CTaskSetting::GetPhaseMultiple, &CTaskSetting::SetPhaseMultiple);
    m_braceOpen->Bind(
        task, [](const CTaskSetting& s) { return s.GetPhaseBraces().first; },
        [](CTaskSetting& s, std::string v) {
            s.SetPhaseBraces({std::move(v), s.GetPhaseBraces().second});
        });
    m_braceClose->Bind(
        task, [](const CTaskSetting& s) { return s.GetPhaseBraces().second; },
        [](CTaskSetting& s, std::string v) {
            s.SetPhaseBraces({s.GetPhaseBraces().first, std::move(v)});
        });
    m_resize->Bind(task);
    m_width->Bind(task, &CTaskSetting::GetWidth, &CTaskSetting::SetWidth);
    m_height->Bind(task, &CTaskSetting::GetHeight, &CTaskSetting::SetHeight);
    m_keepProportion->Bind(task);
    m_autoTrim->Bind(task);
    m_dpi->Bind(task, &CTaskSetting::GetDpi, &CTaskSetting::SetDpi);
    m_bkColorOn->Bind(task);
    m_bkColor->Bind(task);
    // The reverse check boxes edit RoundFlags, not Flags.
    for (CButtonFlags* box : m_roundFlags) {
        box->Bind(task, &CTaskSetting::GetRoundFlags, &CTaskSetting::SetRoundFlags);
    }

    for (CBoundControl* control : Controls()) {
        control->SetMsg(m_app.m_msg);
        control->AddListener([this] { OnFormChanged(); });
    }
    for (CBoundComboBox* box : EditableBoxes()) {
        box->lineEdit()->installEventFilter(this);
    }
    auto rules = [this] { ApplyRules(); };
    auto summary = [this] { UpdateSummary(); };
    m_dstFormat->AddListener(rules);
    m_interpolateType->AddListener(rules);
    m_phase->AddListener(rules);
    m_resize->AddListener(rules);
    m_bkColorOn->AddListener(rules);
    m_interFrameCount->AddListener(summary);
    m_roundType->AddListener(summary);
    m_frameRate->AddListener(summary);
    m_loopCount->AddListener(summary);
    // The list learns a name when the user ends the edit, not at every key typed.
    m_dstName->AddEditedListener([this] {
        const std::string& name = m_app.m_doc.GetTask().GetDstName();
        if (!name.empty()) {
            m_app.m_setting.m_dstNames.Add(name);
            m_dstName->RefillFromList();
        }
    });
}

std::vector<CBoundControl*> CMainView::Controls() const {
    std::vector<CBoundControl*> controls{
        m_srcPath0,  m_srcPath1,        m_dstFormat,      m_webpQuality, m_autoTrimFrames,
        m_dstFolder, m_dstName,         m_digits,         m_startNo,     m_interFrameCount,
        m_roundType, m_interpolateType, m_interpolateAmp, m_frameRate,   m_loopCount,
        m_phase,     m_phaseMultiple,   m_braceOpen,      m_braceClose,  m_resize,
        m_width,     m_height,          m_keepProportion, m_autoTrim,    m_dpi,
        m_bkColorOn, m_bkColor};
    controls.insert(controls.end(), m_roundFlags.begin(), m_roundFlags.end());
    return controls;
}

std::vector<CBoundComboBox*> CMainView::EditableBoxes() const {
    std::vector<CBoundComboBox*> boxes;
    for (CBoundControl* control : Controls()) {
        auto* box = dynamic_cast<CBoundComboBox*>(control);
        if (box != nullptr && box->isEditable()) {
            boxes.push_back(box);
        }
    }
    return boxes;
}

bool CMainView::CommitEdits() {
    for (CBoundComboBox* box : EditableBoxes()) {
        if (!box->CommitPending()) {
            return false;
        }
    }
    return true;
}

void CMainView::PressDefaultButton() {
    // While a run goes on the button reads "中断": a stray Enter must not stop the run.
    if (!m_running && m_generate->isEnabled()) {
        m_generate->click();
    }
}

bool CMainView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && IsEnter(*static_cast<QKeyEvent*>(event))) {
        for (CBoundComboBox* box : EditableBoxes()) {
            if (box->lineEdit() == watched) {
                // The box's own text first; a refused text stops here with its message.
                if (box->Commit()) {
                    PressDefaultButton();
                }
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CMainView::keyPressEvent(QKeyEvent* event) {
    if (IsEnter(*event)) {
        PressDefaultButton();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CMainView::OnFormChanged() {
    if (!m_running) {
        ResetProgress();
    }
    if (m_onChange) {
        m_onChange();
    }
}

void CMainView::ResetProgress() {
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
}

void CMainView::Fill() {
    RefillLists();
    RefreshControls();
}

void CMainView::RefreshControls() {
    for (CBoundControl* control : Controls()) {
        control->Refresh();
    }
    ApplyRules();
    UpdateSummary();
    OnFormChanged();
}

void CMainView::RefillLists() {
    for (CComboBoxString* box : {m_srcPath0, m_srcPath1, m_dstFolder, m_dstName}) {
        box->RefillFromList();
    }
}

void CMainView::ApplyRules() {
    const CTaskSetting& task = m_app.m_doc.GetTask();
    const DstFormat format = task.GetDstFormat();
    const bool animated = IsAnimatedFormat(format);
    m_webpQuality->setEnabled(format == DstFormat::WEBP);
    m_frameRate->setEnabled(animated);
    m_loopCount->setEnabled(animated);
    m_autoTrimFrames->setEnabled(animated);
    m_digits->setEnabled(!animated);
    m_startNo->setEnabled(!animated);

    const InterpolateType type = task.GetInterpolateType();
    m_interpolateAmp->setEnabled(type == InterpolateType::Circle || type == InterpolateType::Arc);

    const bool phase = task.HasFlags(TaskFlags::Phase);
    m_phaseMultiple->setEnabled(phase);
    m_braceOpen->setEnabled(phase);
    m_braceClose->setEnabled(phase);

    const bool resize = task.HasFlags(TaskFlags::Resize);
    m_width->setEnabled(resize);
    m_height->setEnabled(resize);
    m_keepProportion->setEnabled(resize);

    m_bkColor->setEnabled(task.HasFlags(TaskFlags::BkColor));
}

void CMainView::UpdateSummary() {
    m_summary->setText(QString::fromStdString(m_app.m_doc.GetTask().FormatOutputSummary()));
}

void CMainView::ShowRunning() {
    m_running = true;
    m_generate->setText(Text(IDS_ABORT_CAPTION));
    m_generate->setEnabled(true);
}

void CMainView::ShowCancelling() {
    if (m_generate->hasFocus()) {
        focusNextChild();
    }
    m_generate->setEnabled(false);
}

void CMainView::ShowIdle() {
    m_running = false;
    m_generate->setText(m_generateCaption);
    m_generate->setEnabled(true);
}

} // namespace mrv
