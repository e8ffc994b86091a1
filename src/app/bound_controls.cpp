#include "app/bound_controls.h"

#include "app/command.h"
#include "app/msg.h"
#include "engine/task_setting.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace mrv {

void CBoundControl::FireListeners() {
    for (const Listener& listener : m_listeners) {
        listener();
    }
}

void CBoundControl::GuardedCommit(const std::function<void()>& commit) {
    // A message box takes the focus, which ends the edit again; that second commit must not
    // ask a second time.
    if (m_committing) {
        return;
    }
    m_committing = true;
    try {
        commit();
    } catch (...) {
        const CSimpleErr err = ErrFromCurrentException();
        Refresh();
        if (m_msg != nullptr) {
            m_msg->ShowError(err);
        }
    }
    m_committing = false;
}

CBoundComboBox::CBoundComboBox(bool editable, QWidget* parent) : QComboBox(parent) {
    setEditable(editable);
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::activated, this, [this](int) { Commit(); });
    if (editable) {
        connect(lineEdit(), &QLineEdit::editingFinished, this, [this] { Commit(); });
    }
}

void CBoundComboBox::Commit() {
    GuardedCommit([this] { CommitText(currentText().toStdString()); });
}

void CBoundComboBox::ShowText(const std::string& text) {
    const QString q = QString::fromStdString(text);
    if (isEditable()) {
        setEditText(q);
    } else {
        setCurrentIndex(findText(q));
    }
}

void CBoundComboBox::FitDropDownWidth() {
    const QFontMetrics metrics(view()->font());
    int widest = 0;
    for (int i = 0; i < count(); ++i) {
        widest = std::max(widest, metrics.horizontalAdvance(itemText(i)) + 6);
    }
    if (count() > maxVisibleItems()) {
        widest += view()->verticalScrollBar()->sizeHint().width();
    }
    view()->setMinimumWidth(std::max(widest, width()));
}

CComboBoxEnum::CComboBoxEnum(CNamedInts entries, QWidget* parent)
    : CBoundComboBox(false, parent), m_entries(std::move(entries)) {
    for (const auto& [label, value] : m_entries) {
        addItem(QString::fromStdString(label), value);
    }
}

void CComboBoxEnum::Bind(CTaskSetting* setting,
                         CSettingSetter<CTaskSetting, std::int32_t>::Getter getter,
                         CSettingSetter<CTaskSetting, std::int32_t>::Setter setter) {
    m_setter.Bind(setting, std::move(getter), std::move(setter));
}

void CComboBoxEnum::Refresh() {
    setCurrentIndex(findData(m_setter.Get()));
}

void CComboBoxEnum::CommitText(const std::string& text) {
    for (const auto& [label, value] : m_entries) {
        if (label == text) {
            m_setter.Set(value);
            FireListeners();
            return;
        }
    }
    throw my::InternalError("[CComboBoxEnum::CommitText()]\nno entry: " + text);
}

namespace {

CNamedInts DigitEntries() {
    CNamedInts entries;
    for (int zeros = 1; zeros <= 5; ++zeros) {
        entries.emplace_back(std::string(static_cast<std::size_t>(zeros), '0'), zeros);
    }
    return entries;
}

} // namespace

CComboBoxDigits::CComboBoxDigits(QWidget* parent) : CComboBoxEnum(DigitEntries(), parent) {}

CComboBoxString::CComboBoxString(QWidget* parent) : CBoundComboBox(true, parent) {}

void CComboBoxString::Bind(CTaskSetting* setting,
                           CSettingSetter<CTaskSetting, std::string>::Getter getter,
                           CSettingSetter<CTaskSetting, std::string>::Setter setter) {
    m_setter.Bind(setting, std::move(getter), std::move(setter));
}

void CComboBoxString::SetEntries(const std::vector<std::string>& entries) {
    const QString text = currentText();
    clear();
    for (const std::string& entry : entries) {
        addItem(QString::fromStdString(entry));
    }
    setEditText(text);
    FitDropDownWidth();
}

void CComboBoxString::RefillFromList() {
    if (m_list != nullptr) {
        SetEntries(m_list->GetItems());
    }
}

void CComboBoxString::Refresh() {
    ShowText(m_setter.Get());
}

void CComboBoxString::CommitText(const std::string& text) {
    if (text == m_setter.Get()) {
        return;
    }
    m_setter.Set(text);
    FireListeners();
}

CButtonFlags::CButtonFlags(const QString& text, std::uint32_t mask, QWidget* parent)
    : QCheckBox(text, parent), m_mask(mask) {
    connect(this, &QCheckBox::clicked, this, [this](bool checked) {
        GuardedCommit([this, checked] {
            m_setter.Set(checked);
            FireListeners();
        });
    });
}

void CButtonFlags::Bind(CTaskSetting* setting, std::uint32_t (CTaskSetting::*getter)() const,
                        void (CTaskSetting::*setter)(std::uint32_t)) {
    m_setter.Bind(setting, getter, setter, m_mask);
}

void CButtonFlags::Refresh() {
    setChecked(m_setter.Get());
}

QColor BkColorToQColor(const my::colord& color) {
    return QColor::fromRgbF(static_cast<float>(color.c[2]), static_cast<float>(color.c[1]),
                            static_cast<float>(color.c[0]), static_cast<float>(color.a));
}

my::colord QColorToBkColor(const QColor& color) {
    my::colord result;
    result.c[0] = color.blueF();
    result.c[1] = color.greenF();
    result.c[2] = color.redF();
    result.c[3] = 0.0;
    result.a = color.alphaF();
    return result;
}

CColorBtn::CColorBtn(QWidget* parent) : QPushButton(parent) {
    setIconSize(QSize(48, 16));
    connect(this, &QPushButton::clicked, this, [this] { Choose(); });
}

void CColorBtn::Bind(CTaskSetting* setting) {
    m_setter.Bind(setting, &CTaskSetting::GetBkColor, &CTaskSetting::SetBkColor);
}

void CColorBtn::Refresh() {
    // The swatch is painted off-screen over a checkerboard so that opacity shows.
    QPixmap swatch(iconSize());
    QPainter painter(&swatch);
    const int cell = 4;
    for (int y = 0; y < swatch.height(); y += cell) {
        for (int x = 0; x < swatch.width(); x += cell) {
            painter.fillRect(x, y, cell, cell, ((x + y) / cell) % 2 ? Qt::lightGray : Qt::white);
        }
    }
    painter.fillRect(swatch.rect(), GetColor());
    painter.setPen(Qt::darkGray);
    painter.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    painter.end();
    setIcon(QIcon(swatch));
    setToolTip(GetColor().name(QColor::HexArgb));
}

QColor CColorBtn::GetColor() const {
    return BkColorToQColor(m_setter.Get());
}

void CColorBtn::SetColor(const QColor& color) {
    m_setter.Set(QColorToBkColor(color));
    Refresh();
    FireListeners();
}

void CColorBtn::Choose() {
    const QColor chosen =
        QColorDialog::getColor(GetColor(), this, QString(), QColorDialog::ShowAlphaChannel);
    if (chosen.isValid()) {
        SetColor(chosen);
    }
}

} // namespace mrv
