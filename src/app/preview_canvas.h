// mrv::CPreviewCanvas: paints one preview frame (or one drawing of a pair) centred in the
// widget, its transparent areas over a checkerboard, so that a frame without background reads
// as such, and outlines marked rectangles over it in a highlight colour.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <vector>

namespace mrv {

class CPreviewCanvas : public QWidget {
public:
    explicit CPreviewCanvas(QWidget* parent = nullptr);

    // Shows image (a null image leaves the area empty); the widget is repainted.
    void SetImage(QImage image);
    const QImage& Image() const { return m_image; }
    // Rectangles in pixels of the image, outlined over it; the emphasised one (an index, or -1)
    // is drawn bolder and tinted. An empty rectangle is left out.
    void SetMarks(std::vector<QRectF> marks, int emphasised = -1);
    const std::vector<QRectF>& Marks() const { return m_marks; }
    // Where the image lies in the widget.
    QRect ImageRect() const;
    QSize sizeHint() const override;
    // Offered every key pressed on the canvas first; true when it used the key. The scroll
    // area around the canvas would otherwise take the arrow keys.
    void SetKeyHandler(std::function<bool(int key)> handler) { m_onKey = std::move(handler); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QImage m_image;
    QBrush m_checker;
    std::vector<QRectF> m_marks;
    int m_emphasised = -1;
    std::function<bool(int)> m_onKey;
};

// A tiled brush of light and dark grey squares, the usual mark of transparency.
QBrush CheckerboardBrush();

} // namespace mrv
