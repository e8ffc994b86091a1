#include "app/bound_controls.h"

#include "app/color_dialog.h"
#include "app/command.h"
#include "app/msg.h"
#include "engine/task_setting.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <utility>

namespace mrv {

void CBoundControl::FireListeners() {
    for (const Listener& listener : m_listeners) {
        listener();
    }
}

bool CBoundControl::GuardedCommit(const std::function<void()>& commit,
                                  const std::function<void()>& refused) {
    // A message box takes the focus, which ends the edit again; that second commit must not
    // ask a second time.
    if (m_committing) {
        return false;
    }
    m_committing = true;
    bool stored = true;
    try {
        commit();
    } catch (...) {
        stored = false;
        const CSimpleErr err = ErrFromCurrentException();
        if (refused) {
            refused();
        }
        Refresh();
        if (m_msg != nullptr) {
            m_msg->ShowError(err);
        }
    }
    m_committing = false;
    return stored;
}

CBoundComboBox::CBoundComboBox(bool editable, QWidget* parent) : QComboBox(parent) {
    setEditable(editable);
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::activated, this, [this](int) {
        BeginEdit();
        Commit();
    });
    if (editable) {
        connect(lineEdit(), &QLineEdit::textEdited, this,
                [this](const QString& text) { CommitTyped(text); });
        connect(lineEdit(), &QLineEdit::editingFinished, this, [this] { Commit(); });
    }
}

void CBoundComboBox::BeginEdit() {
    if (!m_edited) {
        m_edited = true;
        RememberValue();
    }
}

void CBoundComboBox::CommitTyped(const QString& text) {
    BeginEdit();
    // Half-typed text ("", "-", "1." on the way to "1.5") is refused here without a word: the
    // record keeps its value until the text reads, and the commit at the end of the edit
    // reports what is still refused then.
    try {
        CommitText(text.toStdString());
    } catch (const my::CException&) {
    }
}

bool CBoundComboBox::Commit() {
    const bool edited = std::exchange(m_edited, false);
    const bool stored = GuardedCommit([this] { CommitText(currentText().toStdString()); },
                                      [this, edited] {
                                          if (edited) {
                                              RestoreValue();
                                          }
                                      });
    if (stored && edited) {
        for (const Listener& listener : m_editedListeners) {
            listener();
        }
    }
    return stored;
}

bool CBoundComboBox::CommitPending() {
    return !m_edited || Commit();
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
            if (value == m_setter.Get()) {
                return;
            }
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

my::colord BkColorToRgb(const my::colord& color) {
    return my::colord(color.c[2], color.c[1], color.c[0], color.c[3], color.a);
}

my::colord RgbToBkColor(const my::colord& color) {
    // The same exchange of channels 0 and 2 undoes itself.
    return BkColorToRgb(color);
}

QColor BkColorToQColor(const my::colord& color) {
    const my::colord rgb = BkColorToRgb(color);
    return QColor::fromRgbF(static_cast<float>(rgb.c[0]), static_cast<float>(rgb.c[1]),
                            static_cast<float>(rgb.c[2]), static_cast<float>(rgb.a));
}

my::colord QColorToBkColor(const QColor& color) {
    return RgbToBkColor(
        my::colord(color.redF(), color.greenF(), color.blueF(), 0.0, color.alphaF()));
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
    PaintSwatch(painter, swatch.rect(), GetColor());
    painter.end();
    setIcon(QIcon(swatch));
    setToolTip(GetColor().name(QColor::HexArgb));
}

QColor CColorBtn::GetColor() const {
    return BkColorToQColor(m_setter.Get());
}

void CColorBtn::SetColor(const QColor& color) {
    Store(QColorToBkColor(color));
}

void CColorBtn::Store(const my::colord& bkColor) {
    m_setter.Set(bkColor);
    Refresh();
    FireListeners();
}

void CColorBtn::Choose() {
    // The form edits an RGB record. The dialog works on the exact values of the record, so OK
    // without an edit stores the colour unchanged.
    CColorDialog dialog(BkColorToRgb(m_setter.Get()), kColorSpaceRgb, this);
    if (dialog.exec() == QDialog::Accepted) {
        Store(RgbToBkColor(dialog.GetColor()));
    }
}

} // namespace mrv
