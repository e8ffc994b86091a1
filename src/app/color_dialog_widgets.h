// The pieces the colour dialog is drawn with: HSL arithmetic, the colour swatch over a
// checkerboard, the hue-saturation field and the lightness strip.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

class QPainter;

namespace mrv {

// A colour as hue (degrees, 0 to 360), saturation and lightness (0 to 1).
struct CHsl {
    double h = 0.0;
    double s = 0.0;
    double l = 0.0;
};

// Red, green, blue from 0 to 1.
struct CRgb {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
};

// Greys get hue 0 and saturation 0; the dialog keeps its own hue for them.
CHsl RgbToHsl(const CRgb& rgb);
CRgb HslToRgb(const CHsl& hsl);

// Fills rect with color over a light checkerboard, so that a transparent colour shows as such,
// and frames it.
void PaintSwatch(QPainter& painter, const QRect& rect, const QColor& color);

// A colour sample; a click on it is reported (the old colour's sample restores that colour).
class CColorSwatch : public QWidget {
    Q_OBJECT
public:
    explicit CColorSwatch(QWidget* parent = nullptr);
    void SetColor(const QColor& color);
    QColor GetColor() const { return m_color; }
    QSize sizeHint() const override { return QSize(64, 40); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QColor m_color;
};

// The hue-saturation field: hue runs from 0 at the left edge to 360 at the right, saturation
// from 1 at the top to 0 at the bottom, drawn at lightness 0.5. Clicks, drags and the arrow
// keys report a new hue and saturation; the marker moves only through SetHueSat.
class CHueSatPicker : public QWidget {
    Q_OBJECT
public:
    explicit CHueSatPicker(QWidget* parent = nullptr);
    void SetHueSat(double hue, double sat);
    double Hue() const { return m_hue; }
    double Sat() const { return m_sat; }
    // The hue and saturation under a point of the widget (clamped to the field).
    CHsl PointToHsl(const QPoint& point) const;
    QSize sizeHint() const override { return QSize(241, 161); }

signals:
    void picked(double hue, double sat);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRect Field() const;
    QImage m_field; // cached drawing of the field at its current size
    double m_hue = 0.0;
    double m_sat = 0.0;
};

// The lightness strip for the current hue and saturation: 1 at the top, 0 at the bottom.
class CLightnessStrip : public QWidget {
    Q_OBJECT
public:
    explicit CLightnessStrip(QWidget* parent = nullptr);
    void SetHsl(const CHsl& hsl);
    double Lightness() const { return m_hsl.l; }
    double PointToLightness(const QPoint& point) const;
    QSize sizeHint() const override { return QSize(32, 161); }

signals:
    void picked(double lightness);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRect Strip() const;
    CHsl m_hsl;
};

} // namespace mrv
