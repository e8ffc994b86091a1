#include "app/color_dialog_widgets.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace mrv {

namespace {

// Below this spread of the channels a colour counts as grey.
constexpr double kGreyEpsilon = 1e-9;

QColor ToQColor(const CRgb& rgb) {
    return QColor::fromRgbF(static_cast<float>(rgb.r), static_cast<float>(rgb.g),
                            static_cast<float>(rgb.b));
}

// A fraction of the way along [first, last] for a pixel position, clamped to 0..1.
double Fraction(int position, int first, int last) {
    if (last <= first) {
        return 0.0;
    }
    return std::clamp(static_cast<double>(position - first) / (last - first), 0.0, 1.0);
}

// Where a fraction 0..1 falls on [first, last].
int Position(double fraction, int first, int last) {
    return first + static_cast<int>(std::lround(fraction * (last - first)));
}

} // namespace

CHsl RgbToHsl(const CRgb& rgb) {
    const double high = std::max({rgb.r, rgb.g, rgb.b});
    const double low = std::min({rgb.r, rgb.g, rgb.b});
    CHsl hsl;
    hsl.l = (high + low) / 2.0;
    const double spread = high - low;
    if (spread <= kGreyEpsilon) {
        return hsl;
    }
    hsl.s = std::clamp(spread / (1.0 - std::abs(2.0 * hsl.l - 1.0)), 0.0, 1.0);
    double sector = 0.0;
    if (high == rgb.r) {
        sector = (rgb.g - rgb.b) / spread;
    } else if (high == rgb.g) {
        sector = (rgb.b - rgb.r) / spread + 2.0;
    } else {
        sector = (rgb.r - rgb.g) / spread + 4.0;
    }
    hsl.h = sector * 60.0;
    if (hsl.h < 0.0) {
        hsl.h += 360.0;
    }
    return hsl;
}

CRgb HslToRgb(const CHsl& hsl) {
    double hue = std::fmod(hsl.h, 360.0);
    if (hue < 0.0) {
        hue += 360.0;
    }
    const double s = std::clamp(hsl.s, 0.0, 1.0);
    const double l = std::clamp(hsl.l, 0.0, 1.0);
    const double chroma = (1.0 - std::abs(2.0 * l - 1.0)) * s;
    const double sector = hue / 60.0;
    const double second = chroma * (1.0 - std::abs(std::fmod(sector, 2.0) - 1.0));
    CRgb rgb;
    switch (static_cast<int>(sector)) {
    case 0:
        rgb = {chroma, second, 0.0};
        break;
    case 1:
        rgb = {second, chroma, 0.0};
        break;
    case 2:
        rgb = {0.0, chroma, second};
        break;
    case 3:
        rgb = {0.0, second, chroma};
        break;
    case 4:
        rgb = {second, 0.0, chroma};
        break;
    default:
        rgb = {chroma, 0.0, second};
        break;
    }
    const double base = l - chroma / 2.0;
    rgb.r = std::clamp(rgb.r + base, 0.0, 1.0);
    rgb.g = std::clamp(rgb.g + base, 0.0, 1.0);
    rgb.b = std::clamp(rgb.b + base, 0.0, 1.0);
    return rgb;
}

void PaintSwatch(QPainter& painter, const QRect& rect, const QColor& color) {
    const int cell = 4;
    painter.save();
    painter.setClipRect(rect);
    for (int y = rect.top(); y <= rect.bottom(); y += cell) {
        for (int x = rect.left(); x <= rect.right(); x += cell) {
            const bool dark = ((x - rect.left() + y - rect.top()) / cell) % 2 != 0;
            painter.fillRect(x, y, cell, cell, dark ? Qt::lightGray : Qt::white);
        }
    }
    painter.fillRect(rect, color);
    painter.setPen(Qt::darkGray);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.restore();
}

CColorSwatch::CColorSwatch(QWidget* parent) : QWidget(parent) {
    setMinimumSize(48, 32);
}

void CColorSwatch::SetColor(const QColor& color) {
    if (color != m_color) {
        m_color = color;
        update();
    }
}

void CColorSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintSwatch(painter, rect(), m_color);
}

void CColorSwatch::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit clicked();
    }
}

CHueSatPicker::CHueSatPicker(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(121, 81);
    setCursor(Qt::CrossCursor);
}

QRect CHueSatPicker::Field() const {
    return rect().adjusted(1, 1, -1, -1);
}

void CHueSatPicker::SetHueSat(double hue, double sat) {
    hue = std::clamp(hue, 0.0, 360.0);
    sat = std::clamp(sat, 0.0, 1.0);
    if (hue != m_hue || sat != m_sat) {
        m_hue = hue;
        m_sat = sat;
        update();
    }
}

CHsl CHueSatPicker::PointToHsl(const QPoint& point) const {
    const QRect field = Field();
    CHsl hsl;
    hsl.h = 360.0 * Fraction(point.x(), field.left(), field.right());
    hsl.s = 1.0 - Fraction(point.y(), field.top(), field.bottom());
    hsl.l = 0.5;
    return hsl;
}

void CHueSatPicker::resizeEvent(QResizeEvent*) {
    m_field = QImage(); // drawn again at the new size on the next paint
}

void CHueSatPicker::paintEvent(QPaintEvent*) {
    const QRect field = Field();
    if (field.width() <= 0 || field.height() <= 0) {
        return;
    }
    if (m_field.size() != field.size()) {
        m_field = QImage(field.size(), QImage::Format_RGB32);
        for (int y = 0; y < field.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(m_field.scanLine(y));
            for (int x = 0; x < field.width(); ++x) {
                const CHsl hsl = PointToHsl(field.topLeft() + QPoint(x, y));
                row[x] = ToQColor(HslToRgb(hsl)).rgb();
            }
        }
    }
    QPainter painter(this);
    painter.drawImage(field.topLeft(), m_field);
    painter.setPen(Qt::darkGray);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    // A ring in black and white stays visible over every hue.
    const QPoint centre(Position(m_hue / 360.0, field.left(), field.right()),
                        Position(1.0 - m_sat, field.top(), field.bottom()));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(field);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.drawEllipse(QPointF(centre), 5.0, 5.0);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawEllipse(QPointF(centre), 3.5, 3.5);
    if (hasFocus()) {
        painter.setClipping(false);
        painter.setPen(QPen(palette().highlight(), 1.0, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CHueSatPicker::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const CHsl hsl = PointToHsl(event->position().toPoint());
        emit picked(hsl.h, hsl.s);
    }
}

void CHueSatPicker::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        const CHsl hsl = PointToHsl(event->position().toPoint());
        emit picked(hsl.h, hsl.s);
    }
}

void CHueSatPicker::keyPressEvent(QKeyEvent* event) {
    const double hueStep = event->modifiers() & Qt::ShiftModifier ? 10.0 : 1.0;
    const double satStep = event->modifiers() & Qt::ShiftModifier ? 0.1 : 0.01;
    switch (event->key()) {
    case Qt::Key_Left:
        emit picked(std::max(0.0, m_hue - hueStep), m_sat);
        break;
    case Qt::Key_Right:
        emit picked(std::min(360.0, m_hue + hueStep), m_sat);
        break;
    case Qt::Key_Up:
        emit picked(m_hue, std::min(1.0, m_sat + satStep));
        break;
    case Qt::Key_Down:
        emit picked(m_hue, std::max(0.0, m_sat - satStep));
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

CLightnessStrip::CLightnessStrip(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(24, 81);
}

QRect CLightnessStrip::Strip() const {
    // The right-hand 8 pixels hold the marker's arrow.
    return QRect(1, 1, std::max(1, width() - 10), std::max(1, height() - 2));
}

void CLightnessStrip::SetHsl(const CHsl& hsl) {
    const CHsl clamped{std::clamp(hsl.h, 0.0, 360.0), std::clamp(hsl.s, 0.0, 1.0),
                       std::clamp(hsl.l, 0.0, 1.0)};
    if (clamped.h != m_hsl.h || clamped.s != m_hsl.s || clamped.l != m_hsl.l) {
        m_hsl = clamped;
        update();
    }
}

double CLightnessStrip::PointToLightness(const QPoint& point) const {
    const QRect strip = Strip();
    return 1.0 - Fraction(point.y(), strip.top(), strip.bottom());
}

void CLightnessStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect strip = Strip();
    // With hue and saturation fixed, RGB is linear in lightness on each half, so three stops
    // draw the strip exactly.
    QLinearGradient gradient(strip.topLeft(), strip.bottomLeft());
    gradient.setColorAt(0.0, ToQColor(HslToRgb({m_hsl.h, m_hsl.s, 1.0})));
    gradient.setColorAt(0.5, ToQColor(HslToRgb({m_hsl.h, m_hsl.s, 0.5})));
    gradient.setColorAt(1.0, ToQColor(HslToRgb({m_hsl.h, m_hsl.s, 0.0})));
    painter.fillRect(strip, gradient);
    painter.setPen(Qt::darkGray);
    painter.drawRect(strip.adjusted(-1, -1, 0, 0));

    const int y = Position(1.0 - m_hsl.l, strip.top(), strip.bottom());
    const int tip = strip.right() + 2;
    QPainterPath arrow;
    arrow.moveTo(tip, y);
    arrow.lineTo(tip + 7, y - 5);
    arrow.lineTo(tip + 7, y + 5);
    arrow.closeSubpath();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(arrow, hasFocus() ? palette().highlight() : palette().windowText());
}

void CLightnessStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit picked(PointToLightness(event->position().toPoint()));
    }
}

void CLightnessStrip::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        emit picked(PointToLightness(event->position().toPoint()));
    }
}

void CLightnessStrip::keyPressEvent(QKeyEvent* event) {
    const double step = event->modifiers() & Qt::ShiftModifier ? 0.1 : 0.01;
    switch (event->key()) {
    case Qt::Key_Up:
        emit picked(std::min(1.0, m_hsl.l + step));
        break;
    case Qt::Key_Down:
        emit picked(std::max(0.0, m_hsl.l - step));
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace mrv
