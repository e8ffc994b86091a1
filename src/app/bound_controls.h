// The bound form controls: each shows one field of the open project's task record, turns the
// user's input into a value through a converter, stores it and tells its listeners.
#pragma once

#include "app/number_converter.h"
#include "app/setting_setter.h"
#include "common/color.h"
#include "engine/task_setting.h"
#include "settings/mru_list.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class CMsg;

namespace mrv {

// What every bound control shares: listeners run after a successful commit, and the message
// interface that shows a refused value.
class CBoundControl {
public:
    using Listener = std::function<void()>;
    virtual ~CBoundControl() = default;

    // Shows the field's current value.
    virtual void Refresh() = 0;
    void AddListener(Listener listener) { m_listeners.push_back(std::move(listener)); }
    void SetMsg(CMsg* msg) { m_msg = msg; }

protected:
    void FireListeners();
    // Runs one commit: on a refused value, `refused` runs first, then the control is set back
    // to the field's value, so the record and the control agree again, and the refusal is
    // shown through CMsg. False when the value was refused.
    bool GuardedCommit(const std::function<void()>& commit,
                       const std::function<void()>& refused = {});

private:
    std::vector<Listener> m_listeners;
    CMsg* m_msg = nullptr;
    bool m_committing = false;
};

// An editable or list combo box. It commits when an entry is chosen, as the user types (a text
// that cannot be read yet, such as "-" or "0." on the way to a number, waits quietly), and
// once more when the edit is left, which reports a text that is still refused.
class CBoundComboBox : public QComboBox, public CBoundControl {
public:
    explicit CBoundComboBox(bool editable, QWidget* parent = nullptr);
    // Reads the control's text (selected entry or edit field) into the field. A refused text
    // is shown, and the field gets back the value it had before the edit began. False when
    // the text was refused.
    bool Commit();
    // Ends an edit the user has not left yet, so that what the box shows is what the record
    // holds (Save, Generate and closing call it first). False when the text was refused.
    bool CommitPending();
    // Listeners run after the user ended an edit or chose an entry and it was stored.
    void AddEditedListener(Listener listener) { m_editedListeners.push_back(std::move(listener)); }

protected:
    virtual void CommitText(const std::string& text) = 0;
    // Keep the field's value when an edit begins, and put it back when the edit ends refused.
    virtual void RememberValue() {}
    virtual void RestoreValue() {}
    void ShowText(const std::string& text);
    // Lets the drop-down grow to its widest entry, never narrower than the box.
    void FitDropDownWidth();

private:
    void BeginEdit();
    void CommitTyped(const QString& text);

    std::vector<Listener> m_editedListeners;
    bool m_edited = false; // the user changed the text since the last full commit
};

// A number box over a converter; entries are given values.
template <class Converter> class CComboBoxValue : public CBoundComboBox {
public:
    using T = typename Converter::value_type;

    CComboBoxValue(Converter converter, QWidget* parent = nullptr)
        : CBoundComboBox(true, parent), m_converter(std::move(converter)) {}

    void Bind(CTaskSetting* setting, typename CSettingSetter<CTaskSetting, T>::Getter getter,
              typename CSettingSetter<CTaskSetting, T>::Setter setter) {
        m_setter.Bind(setting, std::move(getter), std::move(setter));
    }
    void SetEntries(const std::vector<T>& values) {
        clear();
        for (T v : values) {
            addItem(QString::fromStdString(m_converter.ToText(v)));
        }
    }
    void Refresh() override { ShowText(m_converter.ToText(m_setter.Get())); }
    const Converter& GetConverter() const { return m_converter; }

protected:
    void CommitText(const std::string& text) override {
        const T value = m_converter.FromText(text);
        if (value == m_setter.Get()) {
            return;
        }
        m_setter.Set(value);
        FireListeners();
    }
    void RememberValue() override { m_before = m_setter.Get(); }
    void RestoreValue() override {
        if (!(m_before == m_setter.Get())) {
            m_setter.Set(m_before);
            FireListeners();
        }
    }

private:
    Converter m_converter;
    CSettingSetter<CTaskSetting, T> m_setter;
    T m_before{};
};

// An integer box (the field holds value x 10^P); entries from first to last or a list.
template <int P> class CComboBoxInt : public CComboBoxValue<CIntConverter<P>> {
public:
    CComboBoxInt(std::int32_t minimum, std::int32_t maximum, QWidget* parent = nullptr)
        : CComboBoxValue<CIntConverter<P>>(CIntConverter<P>(minimum, maximum), parent) {}
    void SetRange(std::int32_t first, std::int32_t last) {
        std::vector<std::int32_t> values;
        for (std::int32_t v = first; v <= last; ++v) {
            values.push_back(v);
        }
        this->SetEntries(values);
    }
};

// A double box shown with at most P decimals.
template <int P> class CComboBoxDouble : public CComboBoxValue<CFloatConverter<P>> {
public:
    CComboBoxDouble(double minimum, double maximum, QWidget* parent = nullptr)
        : CComboBoxValue<CFloatConverter<P>>(CFloatConverter<P>(minimum, maximum), parent) {}
};

// (label, value) pairs of an enumeration, in table order.
using CNamedInts = std::vector<std::pair<std::string, std::int32_t>>;

// A drop-down list over an integer or enumeration field: choosing an entry stores its value.
class CComboBoxEnum : public CBoundComboBox {
public:
    CComboBoxEnum(CNamedInts entries, QWidget* parent = nullptr);
    void Bind(CTaskSetting* setting, CSettingSetter<CTaskSetting, std::int32_t>::Getter getter,
              CSettingSetter<CTaskSetting, std::int32_t>::Setter setter);
    void Refresh() override;

protected:
    void CommitText(const std::string& text) override;

private:
    CNamedInts m_entries;
    CSettingSetter<CTaskSetting, std::int32_t> m_setter;
};

// The sequence digits: five entries of 1 to 5 zeros; the value is the number of zeros.
class CComboBoxDigits : public CComboBoxEnum {
public:
    explicit CComboBoxDigits(QWidget* parent = nullptr);
};

// A text box over a string field; its entries are a most-recently-used list or fixed texts.
class CComboBoxString : public CBoundComboBox {
public:
    explicit CComboBoxString(QWidget* parent = nullptr);
    void Bind(CTaskSetting* setting, CSettingSetter<CTaskSetting, std::string>::Getter getter,
              CSettingSetter<CTaskSetting, std::string>::Setter setter);
    // Entries from a most-recently-used list, refilled by RefillFromList.
    void SetList(const CMruList* list) { m_list = list; }
    // Fixed entries (the brace pairs).
    void SetEntries(const std::vector<std::string>& entries);
    // Fills the entries from the list again, keeping the current text.
    void RefillFromList();
    void Refresh() override;

protected:
    void CommitText(const std::string& text) override;

private:
    const CMruList* m_list = nullptr;
    CSettingSetter<CTaskSetting, std::string> m_setter;
};

// A check box over one bit of the flag field: checked = bit set.
class CButtonFlags : public QCheckBox, public CBoundControl {
public:
    CButtonFlags(const QString& text, std::uint32_t mask, QWidget* parent = nullptr);
    void Bind(CTaskSetting* setting,
              std::uint32_t (CTaskSetting::*getter)() const = &CTaskSetting::GetFlags,
              void (CTaskSetting::*setter)(std::uint32_t) = &CTaskSetting::SetFlags);
    void Refresh() override;

private:
    CSettingSetterFlags<CTaskSetting> m_setter;
    std::uint32_t m_mask;
};

// The background colour: a swatch that opens the colour dialog.
class CColorBtn : public QPushButton, public CBoundControl {
public:
    explicit CColorBtn(QWidget* parent = nullptr);
    void Bind(CTaskSetting* setting);
    void Refresh() override;
    // Stores a colour as the dialog's OK does.
    void SetColor(const QColor& color);
    QColor GetColor() const;

private:
    void Choose();
    // Stores a colour in the record's channel order, repaints and tells the listeners.
    void Store(const my::colord& bkColor);
    CSettingSetter<CTaskSetting, my::colord> m_setter;
};

// The task's background reverses channels 0 to 2 when it makes the drawing colour, so the
// record keeps blue, green, red in channels 0, 1, 2; these keep that in one place.
QColor BkColorToQColor(const my::colord& color);
my::colord QColorToBkColor(const QColor& color);
// The record's colour with red, green, blue in channels 0, 1, 2 (as the colour dialog and
// the rest of the program read an RGB colour), and back.
my::colord BkColorToRgb(const my::colord& color);
my::colord RgbToBkColor(const my::colord& color);

} // namespace mrv
