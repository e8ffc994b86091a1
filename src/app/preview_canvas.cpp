#include "app/preview_canvas.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <algorithm>

namespace mrv {

namespace {

constexpr int kCheckerSquare = 8;

} // namespace

QBrush CheckerboardBrush() {
    QPixmap tile(2 * kCheckerSquare, 2 * kCheckerSquare);
    tile.fill(QColor(0xcc, 0xcc, 0xcc));
    QPainter painter(&tile);
    const QColor dark(0x99, 0x99, 0x99);
    painter.fillRect(0, 0, kCheckerSquare, kCheckerSquare, dark);
    painter.fillRect(kCheckerSquare, kCheckerSquare, kCheckerSquare, kCheckerSquare, dark);
    return QBrush(tile);
}

CPreviewCanvas::CPreviewCanvas(QWidget* parent) : QWidget(parent), m_checker(CheckerboardBrush()) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CPreviewCanvas::SetMarks(std::vector<QRectF> marks, int emphasised) {
    m_marks = std::move(marks);
    m_emphasised = emphasised;
    update();
}

void CPreviewCanvas::SetImage(QImage image) {
    m_image = std::move(image);
    update();
}

QRect CPreviewCanvas::ImageRect() const {
    if (m_image.isNull()) {
        return {};
    }
    // Frames are rendered at the size they are shown, so they are only placed, never scaled.
    const QSize size = m_image.size();
    return QRect(QPoint(std::max(0, (width() - size.width()) / 2),
                        std::max(0, (height() - size.height()) / 2)),
                 size);
}

QSize CPreviewCanvas::sizeHint() const {
    return m_image.isNull() ? QSize(320, 240) : m_image.size();
}

void CPreviewCanvas::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier && m_onKey && m_onKey(event->key())) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CPreviewCanvas::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Dark));
    const QRect area = ImageRect();
    if (area.isEmpty()) {
        return;
    }
    painter.setBrushOrigin(area.topLeft());
    painter.fillRect(area, m_checker);
    painter.drawImage(area.topLeft(), m_image);
    const QColor highlight(0xff, 0x20, 0x90);
    const auto outline = [&](std::size_t i, bool emphasised) {
        if (m_marks[i].isEmpty()) {
            return;
        }
        // A little room around the figure, so that the outline does not hide its edge.
        const QRectF mark = m_marks[i].translated(area.topLeft()).adjusted(-2, -2, 2, 2);
        painter.setPen(QPen(highlight, emphasised ? 4 : 2));
        painter.setBrush(emphasised ? QColor(0xff, 0x20, 0x90, 0x40) : QColor(Qt::transparent));
        painter.drawRect(mark);
    };
    for (std::size_t i = 0; i < m_marks.size(); ++i) {
        if (int(i) != m_emphasised) {
            outline(i, false);
        }
    }
    // The emphasised figure last, over the others.
    if (m_emphasised >= 0 && std::size_t(m_emphasised) < m_marks.size()) {
        outline(std::size_t(m_emphasised), true);
    }
}

} // namespace mrv
