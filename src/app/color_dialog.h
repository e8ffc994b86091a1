// The colour dialog: edits one colour of an RGB or a CMYK colour space through its code, a
// hue-saturation field with a lightness strip, one row per channel and opacity presets.
#pragma once

#include "app/color_dialog_widgets.h"
#include "common/color.h"

#include <QDialog>
#include <array>
#include <cstdint>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace mrv {

// Colour space signatures: "CMYK" selects the four ink rows; anything else is RGB.
constexpr std::uint32_t kColorSpaceRgb = 0x52474220;  // "RGB "
constexpr std::uint32_t kColorSpaceCmyk = 0x434D594B; // "CMYK"

class CColorDialog : public QDialog {
public:
    // color holds the channels as its colour space reads them (RGB: red, green, blue; CMYK:
    // cyan, magenta, yellow, black) and the opacity, each 0 to 1; values outside are clamped.
    CColorDialog(const my::colord& color, std::uint32_t colorSpace, QWidget* parent = nullptr);
    ~CColorDialog() override;

    // The colour being edited, in the same order; channels nobody touched keep their exact
    // value, so OK without an edit hands the colour back unchanged.
    const my::colord& GetColor() const { return m_color; }
    void SetColor(const my::colord& color);
    bool IsCmyk() const { return m_cmyk; }
    // Hue, saturation and lightness of the colour as the picker and strip show them.
    const CHsl& GetHsl() const { return m_hsl; }
    // The colour as shown on screen (CMYK through a plain ink formula), with its opacity.
    QColor DisplayColor(const my::colord& color) const;
    CRgb DisplayRgb(const my::colord& color) const;

    // The code of a colour: "#RRGGBB" for RGB, "#CCMMYYKK" for CMYK, channels as 0-255 in
    // hexadecimal. Opacity is not part of the code; it has its own row and presets.
    QString Code(const my::colord& color) const;
    // Reads a code (the "#" may be left out) or a named colour's label; empty when neither.
    std::optional<my::colord> ParseCode(const QString& text) const;

    static constexpr int kRows = 5;
    struct CChannelRow {
        QLabel* label;
        QLineEdit* edit;
        QSlider* slider;
    };

    // The controls, public for the tests as the form's are.
    CColorSwatch* m_newSwatch;
    CColorSwatch* m_oldSwatch;
    QComboBox* m_code;
    QLineEdit* m_oldCode;
    CHueSatPicker* m_picker;
    CLightnessStrip* m_strip;
    std::array<CChannelRow, kRows> m_rows;
    std::array<QPushButton*, 5> m_presets;
    QPushButton* m_ok;
    QPushButton* m_cancel;

private:
    void Build();
    void Connect();
    // The value a row edits: a channel, or the opacity for the rows after the channels.
    double& RowValue(int row);
    int ChannelCount() const { return m_cmyk ? 4 : 3; }
    my::colord FromRgb(const CRgb& rgb) const;

    // Each change stores the new value, then shows it in every control except the one the
    // user is typing in, whose text would otherwise be rewritten under the cursor.
    void ApplyRow(int row, int value, QWidget* source);
    void ApplyColor(const my::colord& color, QWidget* source);
    void ApplyHsl(const CHsl& hsl);
    void ApplyOpacity(double opacity);
    void FinishRowEdit(int row);
    void FinishCodeEdit();
    void Refuse(QWidget* field, const QString& message);
    void ShowAll(QWidget* source);
    // Hue, and at black or white also saturation, stay where they were when the colour no
    // longer defines them, so that the marker does not jump.
    void UpdateHslFromColor();

    bool m_cmyk;
    my::colord m_color;
    my::colord m_old;
    CHsl m_hsl;
    bool m_showing = false; // set while ShowAll writes the controls
};

} // namespace mrv
