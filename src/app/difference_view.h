// mrv::CDifferenceView: the preview's page for a pair that does not animate. START and END
// side by side, every mismatching figure outlined, the list of differences beside them;
// choosing an entry emphasises its figures in both drawings.
#pragma once

#include "app/preview_renderer.h"

#include <QWidget>

class QLabel;
class QListWidget;

namespace mrv {

class CPreviewCanvas;

class CDifferenceView : public QWidget {
public:
    explicit CDifferenceView(QWidget* parent = nullptr);

    // Shows a new list; the entry chosen before stays chosen when the list still has it.
    void Show(CPreviewMismatch mismatch);
    // Emphasises entry index (-1: none) in both drawings and the list.
    void Choose(int index);

    const CPreviewMismatch& Mismatch() const { return m_mismatch; }
    int Chosen() const { return m_chosen; }
    CPreviewCanvas& StartCanvas() { return *m_start; }
    CPreviewCanvas& EndCanvas() { return *m_end; }
    QListWidget& List() { return *m_list; }

private:
    void Emphasise(int index);

    CPreviewMismatch m_mismatch;
    int m_chosen = -1;
    CPreviewCanvas* m_start = nullptr;
    CPreviewCanvas* m_end = nullptr;
    QListWidget* m_list = nullptr;
    QLabel* m_count = nullptr;
};

} // namespace mrv
