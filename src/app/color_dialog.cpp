#include "app/color_dialog.h"

#include "app/color_dialog_text.h"
#include "app/form_text.h"
#include "common/message_ids.h"
#include "common/messages.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace mrv {

namespace {

// Opacity of the preset buttons, left to right.
constexpr double kPresetOpacities[] = {0.0, 0.25, 0.5, 0.75, 1.0};
// The label of a preset: a message for the two ends, the percentage between them.
QString PresetLabel(std::size_t i) {
    const double opacity = kPresetOpacities[i];
    if (opacity == 0.0 || opacity == 1.0) {
        return FormQText(opacity == 0.0 ? IDS_COLOR_PRESET_CLEAR : IDS_COLOR_PRESET_OPAQUE);
    }
    return QString::number(std::lround(opacity * 100)) + QLatin1Char('%');
}

const std::uint32_t kRgbLabels[CColorDialog::kRows] = {
    IDS_COLOR_LABEL_RED, IDS_COLOR_LABEL_GREEN, IDS_COLOR_LABEL_BLUE, IDS_COLOR_LABEL_OPACITY,
    IDS_COLOR_LABEL_OPACITY};

CRgb NamedRgb(const CNamedColor& named) {
    return {named.r / 255.0, named.g / 255.0, named.b / 255.0};
}

QIcon SwatchIcon(const QColor& color) {
    QPixmap pixmap(16, 16);
    QPainter painter(&pixmap);
    PaintSwatch(painter, pixmap.rect(), color);
    return QIcon(pixmap);
}

} // namespace

CColorDialog::CColorDialog(const my::colord& color, std::uint32_t colorSpace, QWidget* parent)
    : QDialog(parent), m_cmyk(colorSpace == kColorSpaceCmyk) {
    for (int i = 0; i < 4; ++i) {
        m_color.c[i] = ClampUnit(color.c[i]);
    }
    m_color.a = ClampUnit(color.a);
    m_old = m_color;
    Build();
    Connect();
    UpdateHslFromColor();
    ShowAll(nullptr);
}

CColorDialog::~CColorDialog() {
    // The children outlive this part of the dialog; a focus change while they are deleted must
    // not reach the handlers.
    for (QObject* child : findChildren<QObject*>()) {
        child->disconnect(this);
    }
}

void CColorDialog::Build() {
    setWindowTitle(FormQText(IDS_COLOR_DIALOG_TITLE));
    setModal(true);
    auto* root = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* samples = new QGridLayout;
    m_newSwatch = new CColorSwatch(this);
    m_newSwatch->setToolTip(FormQText(IDS_COLOR_NEW_SWATCH));
    m_oldSwatch = new CColorSwatch(this);
    m_oldSwatch->setToolTip(FormQText(IDS_COLOR_OLD_SWATCH));
    m_code = new QComboBox(this);
    m_code->setEditable(true);
    m_code->setInsertPolicy(QComboBox::NoInsert);
    m_code->setToolTip(FormQText(m_cmyk ? IDS_COLOR_CODE_CMYK_TIP : IDS_COLOR_CODE_RGB_TIP));
    for (const CNamedColor& named : NamedColors()) {
        m_code->addItem(SwatchIcon(DisplayColor(FromRgb(NamedRgb(named)))), NamedColorLabel(named));
    }
    m_oldCode = new QLineEdit(this);
    m_oldCode->setReadOnly(true);
    m_oldCode->setToolTip(m_oldSwatch->toolTip());
    samples->addWidget(m_newSwatch, 0, 0);
    samples->addWidget(m_oldSwatch, 0, 1);
    samples->addWidget(m_code, 1, 0);
    samples->addWidget(m_oldCode, 1, 1);
    samples->setRowStretch(0, 1);
    top->addLayout(samples);
    m_picker = new CHueSatPicker(this);
    m_picker->setToolTip(FormQText(IDS_COLOR_PICKER_TIP));
    m_strip = new CLightnessStrip(this);
    m_strip->setToolTip(FormQText(IDS_COLOR_STRIP_TIP));
    top->addWidget(m_picker, 1);
    top->addWidget(m_strip);
    root->addLayout(top);

    auto* channels = new QGridLayout;
    for (int row = 0; row < kRows; ++row) {
        CChannelRow& r = m_rows[static_cast<std::size_t>(row)];
        r.edit = new QLineEdit(this);
        r.edit->setMaximumWidth(r.edit->fontMetrics().horizontalAdvance(QStringLiteral("0000")) +
                                12);
        r.slider = new QSlider(Qt::Horizontal, this);
        r.slider->setRange(0, 255);
        r.slider->setPageStep(16);
        QString text = FormQText(kRgbLabels[row]);
        if (m_cmyk) {
            static constexpr std::uint32_t kInks[] = {IDS_LABEL_CYAN, IDS_LABEL_MAGENTA,
                                                      IDS_LABEL_YELLOW, IDS_LABEL_BLACK};
            text = row < 4 ? FormQText(kInks[row]) : FormQText(IDS_COLOR_LABEL_OPACITY);
        }
        r.label = new QLabel(text, this);
        r.label->setBuddy(r.edit);
        channels->addWidget(r.label, row, 0);
        channels->addWidget(r.edit, row, 1);
        channels->addWidget(r.slider, row, 2);
        // An RGB colour has three channels and the opacity; the fifth row has nothing to edit.
        const bool used = m_cmyk || row < 4;
        r.label->setVisible(used);
        r.edit->setVisible(used);
        r.slider->setVisible(used);
    }
    channels->setColumnStretch(2, 1);
    root->addLayout(channels);

    auto* presets = new QHBoxLayout;
    for (std::size_t i = 0; i < m_presets.size(); ++i) {
        m_presets[i] = new QPushButton(PresetLabel(i), this);
        m_presets[i]->setAutoDefault(false);
        presets->addWidget(m_presets[i]);
    }
    root->addLayout(presets);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(FormQText(IDS_COLOR_OK), QDialogButtonBox::AcceptRole);
    m_cancel = buttons->addButton(FormQText(IDS_COLOR_CANCEL), QDialogButtonBox::RejectRole);
    m_ok->setDefault(true);
    root->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CColorDialog::Connect() {
    for (int row = 0; row < kRows; ++row) {
        CChannelRow& r = m_rows[static_cast<std::size_t>(row)];
        QLineEdit* edit = r.edit;
        connect(edit, &QLineEdit::textEdited, this, [this, row, edit](const QString& text) {
            // A value is taken as soon as it reads; a half-typed one waits for the edit's end.
            if (const std::optional<int> value = ParseChannelText(text)) {
                ApplyRow(row, *value, edit);
            }
        });
        connect(edit, &QLineEdit::editingFinished, this, [this, row] { FinishRowEdit(row); });
        QSlider* slider = r.slider;
        connect(slider, &QSlider::valueChanged, this,
                [this, row, slider](int value) { ApplyRow(row, value, slider); });
    }

    connect(m_code->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        const std::optional<my::colord> color = ParseCode(text);
        if (color && Code(*color) != Code(m_color)) {
            ApplyColor(*color, m_code);
        }
    });
    connect(m_code->lineEdit(), &QLineEdit::editingFinished, this, [this] { FinishCodeEdit(); });
    connect(m_code, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(NamedColors().size())) {
            ApplyColor(FromRgb(NamedRgb(NamedColors()[static_cast<std::size_t>(index)])), nullptr);
        }
    });

    connect(m_picker, &CHueSatPicker::picked, this, [this](double hue, double sat) {
        ApplyHsl({hue, sat, m_hsl.l});
    });
    connect(m_strip, &CLightnessStrip::picked, this, [this](double lightness) {
        ApplyHsl({m_hsl.h, m_hsl.s, lightness});
    });
    for (std::size_t i = 0; i < m_presets.size(); ++i) {
        const double opacity = kPresetOpacities[i];
        connect(m_presets[i], &QPushButton::clicked, this,
                [this, opacity] { ApplyOpacity(opacity); });
    }
    connect(m_oldSwatch, &CColorSwatch::clicked, this, [this] { ApplyColor(m_old, nullptr); });
}

double& CColorDialog::RowValue(int row) {
    return row < ChannelCount() ? m_color.c[row] : m_color.a;
}

my::colord CColorDialog::FromRgb(const CRgb& rgb) const {
    my::colord result = m_color;
    if (!m_cmyk) {
        result.c[0] = rgb.r;
        result.c[1] = rgb.g;
        result.c[2] = rgb.b;
        return result;
    }
    // Full black generation: the key takes all the grey, the inks only what is left.
    const double black = 1.0 - std::max({rgb.r, rgb.g, rgb.b});
    if (black >= 1.0) {
        result.c[0] = result.c[1] = result.c[2] = 0.0;
    } else {
        result.c[0] = (1.0 - rgb.r - black) / (1.0 - black);
        result.c[1] = (1.0 - rgb.g - black) / (1.0 - black);
        result.c[2] = (1.0 - rgb.b - black) / (1.0 - black);
    }
    result.c[3] = black;
    for (double& ink : result.c) {
        ink = ClampUnit(ink); // rounding must not leave a trace below 0
    }
    return result;
}

CRgb CColorDialog::DisplayRgb(const my::colord& color) const {
    if (!m_cmyk) {
        return {color.c[0], color.c[1], color.c[2]};
    }
    // A plain ink formula: enough to show and pick a colour, no profile involved.
    const double paper = 1.0 - color.c[3];
    return {(1.0 - color.c[0]) * paper, (1.0 - color.c[1]) * paper, (1.0 - color.c[2]) * paper};
}

QColor CColorDialog::DisplayColor(const my::colord& color) const {
    const CRgb rgb = DisplayRgb(color);
    return QColor::fromRgbF(
        static_cast<float>(ClampUnit(rgb.r)), static_cast<float>(ClampUnit(rgb.g)),
        static_cast<float>(ClampUnit(rgb.b)), static_cast<float>(ClampUnit(color.a)));
}

QString CColorDialog::Code(const my::colord& color) const {
    return FormatColorCode(color, ChannelCount());
}

std::optional<my::colord> CColorDialog::ParseCode(const QString& text) const {
    const QString t = NormalizedText(text);
    for (const CNamedColor& named : NamedColors()) {
        if (t == NamedColorLabel(named)) {
            return FromRgb(NamedRgb(named));
        }
    }
    const std::optional<std::array<int, 4>> bytes = ParseHexCode(t, ChannelCount());
    if (!bytes) {
        return std::nullopt;
    }
    my::colord color = m_color;
    for (int i = 0; i < ChannelCount(); ++i) {
        color.c[i] = (*bytes)[static_cast<std::size_t>(i)] / 255.0;
    }
    return color;
}

void CColorDialog::SetColor(const my::colord& color) {
    my::colord clamped;
    for (int i = 0; i < 4; ++i) {
        clamped.c[i] = ClampUnit(color.c[i]);
    }
    clamped.a = ClampUnit(color.a);
    ApplyColor(clamped, nullptr);
}

void CColorDialog::ApplyRow(int row, int value, QWidget* source) {
    if (m_showing) {
        return;
    }
    double& target = RowValue(row);
    // Retyping the value shown keeps the exact colour underneath it.
    if (ToByte(target) != value) {
        target = value / 255.0;
        if (row < ChannelCount()) {
            UpdateHslFromColor();
        }
    }
    ShowAll(source);
}

void CColorDialog::ApplyColor(const my::colord& color, QWidget* source) {
    if (m_showing) {
        return;
    }
    m_color = color;
    UpdateHslFromColor();
    ShowAll(source);
}

void CColorDialog::ApplyHsl(const CHsl& hsl) {
    if (m_showing) {
        return;
    }
    // The picker's own values are kept rather than read back from the colour, so a hue set at
    // black or on grey stays where the user put it.
    m_hsl = hsl;
    m_color = FromRgb(HslToRgb(m_hsl));
    ShowAll(nullptr);
}

void CColorDialog::ApplyOpacity(double opacity) {
    if (m_showing) {
        return;
    }
    m_color.a = opacity;
    ShowAll(nullptr);
}

void CColorDialog::FinishRowEdit(int row) {
    CChannelRow& r = m_rows[static_cast<std::size_t>(row)];
    if (!ParseChannelText(r.edit->text())) {
        Refuse(r.edit, FormQText(IDS_COLOR_CHANNEL_INVALID));
    }
    // Shows the value held: the last good one after a refusal, the plain number otherwise.
    ShowAll(nullptr);
}

void CColorDialog::FinishCodeEdit() {
    const std::optional<my::colord> color = ParseCode(m_code->currentText());
    if (!color) {
        Refuse(m_code,
               FormQText(m_cmyk ? IDS_COLOR_CODE_CMYK_INVALID : IDS_COLOR_CODE_RGB_INVALID));
    } else if (Code(*color) != Code(m_color)) {
        ApplyColor(*color, nullptr);
    }
    ShowAll(nullptr);
}

void CColorDialog::Refuse(QWidget* field, const QString& message) {
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), message, field);
}

void CColorDialog::UpdateHslFromColor() {
    const CHsl hsl = RgbToHsl(DisplayRgb(m_color));
    constexpr double kEdge = 1e-9;
    m_hsl.l = hsl.l;
    if (hsl.l <= kEdge || hsl.l >= 1.0 - kEdge) {
        return;
    }
    m_hsl.s = hsl.s;
    if (hsl.s > kEdge) {
        m_hsl.h = hsl.h;
    }
}

void CColorDialog::ShowAll(QWidget* source) {
    m_showing = true;
    for (int row = 0; row < kRows; ++row) {
        CChannelRow& r = m_rows[static_cast<std::size_t>(row)];
        const int value = ToByte(RowValue(row));
        if (r.edit != source) {
            r.edit->setText(QString::number(value));
        }
        if (r.slider != source) {
            r.slider->setValue(value);
        }
    }
    if (m_code != source) {
        // No entry stays chosen, so that choosing the same named colour again still reports.
        m_code->setCurrentIndex(-1);
        m_code->setEditText(Code(m_color));
    }
    m_oldCode->setText(Code(m_old));
    m_newSwatch->SetColor(DisplayColor(m_color));
    m_oldSwatch->SetColor(DisplayColor(m_old));
    m_picker->SetHueSat(m_hsl.h, m_hsl.s);
    m_strip->SetHsl(m_hsl);
    m_showing = false;
}

} // namespace mrv
