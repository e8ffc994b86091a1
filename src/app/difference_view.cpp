#include "app/difference_view.h"

#include "app/preview_canvas.h"
#include "common/message_ids.h"
#include "common/messages.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace mrv {

namespace {

QString Text(std::uint32_t id) {
    return QString::fromStdString(std::string(my::MessageText(id, my::Language::Japanese)));
}

} // namespace

CDifferenceView::CDifferenceView(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    m_start = new CPreviewCanvas(this);
    m_start->setAccessibleName(Text(IDS_PREVIEW_START));
    m_end = new CPreviewCanvas(this);
    m_end->setAccessibleName(Text(IDS_PREVIEW_END));
    m_count = new QLabel(this);
    m_count->setWordWrap(true);
    m_list = new QListWidget(this);
    m_list->setAccessibleName(Text(IDS_PREVIEW_DIFFERENCES));
    m_list->setWordWrap(true);
    m_list->setAlternatingRowColors(true);
    auto* startCaption = new QLabel(Text(IDS_PREVIEW_START), this);
    auto* endCaption = new QLabel(Text(IDS_PREVIEW_END), this);
    auto* side = new QVBoxLayout;
    side->addWidget(m_count);
    side->addWidget(m_list, 1);
    grid->addWidget(startCaption, 0, 0, Qt::AlignHCenter);
    grid->addWidget(endCaption, 0, 1, Qt::AlignHCenter);
    grid->addWidget(m_start, 1, 0);
    grid->addWidget(m_end, 1, 1);
    grid->addLayout(side, 0, 2, 2, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(2, 2);
    grid->setRowStretch(1, 1);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { Emphasise(row); });
}

void CDifferenceView::Show(CPreviewMismatch mismatch) {
    m_mismatch = std::move(mismatch);
    m_start->SetImage(m_mismatch.m_start);
    m_end->SetImage(m_mismatch.m_end);
    m_count->setText(m_mismatch.m_count);
    const int chosen = m_chosen;
    {
        const QSignalBlocker quiet(m_list);
        m_list->clear();
        for (const CPreviewDifference& d : m_mismatch.m_differences) {
            m_list->addItem(d.m_text + "\n" + d.m_startSide + "\n" + d.m_endSide);
        }
    }
    Choose(chosen < m_list->count() ? chosen : -1);
}

void CDifferenceView::Choose(int index) {
    const QSignalBlocker quiet(m_list);
    m_list->setCurrentRow(index);
    Emphasise(index);
}

void CDifferenceView::Emphasise(int index) {
    m_chosen = index;
    std::vector<QRectF> starts;
    std::vector<QRectF> ends;
    for (const CPreviewDifference& d : m_mismatch.m_differences) {
        starts.push_back(d.m_startMark);
        ends.push_back(d.m_endMark);
    }
    m_start->SetMarks(std::move(starts), index);
    m_end->SetMarks(std::move(ends), index);
}

} // namespace mrv
