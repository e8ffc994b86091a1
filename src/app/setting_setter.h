// CSettingSetter: the getter and setter of one field of a settings record, and
// CSettingSetterFlags for one bit of a flag field; the bound form controls edit through them.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

namespace mrv {

template <class Setting, class T> class CSettingSetter {
public:
    using Getter = std::function<T(const Setting&)>;
    using Setter = std::function<void(Setting&, T)>;

    void Bind(Setting* setting, Getter getter, Setter setter) {
        m_setting = setting;
        m_getter = std::move(getter);
        m_setter = std::move(setter);
    }
    bool IsBound() const { return m_setting != nullptr; }
    T Get() const { return m_getter(*m_setting); }
    void Set(T value) const { m_setter(*m_setting, std::move(value)); }

private:
    Setting* m_setting = nullptr;
    Getter m_getter;
    Setter m_setter;
};

template <class Setting, class Flags = std::uint32_t> class CSettingSetterFlags {
public:
    void Bind(Setting* setting, Flags (Setting::*getter)() const, void (Setting::*setter)(Flags),
              Flags mask) {
        m_setting = setting;
        m_getter = getter;
        m_setter = setter;
        m_mask = mask;
    }
    bool Get() const { return ((m_setting->*m_getter)() & m_mask) == m_mask; }
    void Set(bool on) const {
        const Flags flags = (m_setting->*m_getter)();
        (m_setting->*m_setter)(on ? (flags | m_mask) : (flags & ~m_mask));
    }

private:
    Setting* m_setting = nullptr;
    Flags (Setting::*m_getter)() const = nullptr;
    void (Setting::*m_setter)(Flags) = nullptr;
    Flags m_mask = 0;
};

} // namespace mrv
