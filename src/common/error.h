// The error record CSimpleErr and the system's one exception type my::CException.
// A failure carries a message ID of the string table, a system error code and the filled text.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

struct CSimpleErr {
    std::int32_t m_id = 0;    // message ID; 0 = no error
    std::uint32_t m_code = 0; // system error code (errno) that caused the failure, else 0
    std::string m_text;       // the message with its %s filled, UTF-8

    bool HasError() const { return m_id != 0; }
    void Clear() { *this = CSimpleErr{}; }
    friend bool operator==(const CSimpleErr&, const CSimpleErr&) = default;
};

// Gives a class an error record that its failing operations fill.
template <class Err> class CHasErr {
public:
    const Err& GetErr() const { return m_err; }
    Err& GetErr() { return m_err; }
    void SetErr(const Err& err) { m_err = err; }
    void ClearErr() { m_err.Clear(); }
    bool HasErr() const { return m_err.HasError(); }

protected:
    Err m_err;
};

namespace my {

// Text of an argument filled into a %s placeholder.
std::string ArgText(std::string_view s);
std::string ArgText(std::u16string_view s);
inline std::string ArgText(const char* s) { return ArgText(std::string_view(s)); }
inline std::string ArgText(const std::string& s) { return s; }
inline std::string ArgText(const std::u16string& s) { return ArgText(std::u16string_view(s)); }
template <class T>
    requires std::is_integral_v<T>
std::string ArgText(T v) {
    return std::to_string(v);
}

// The system's description of an error code (strerror), in the message language.
std::string SystemErrorText(int code);

class CException : public std::exception, public CSimpleErr {
public:
    // From a message ID alone; its %s stay empty.
    explicit CException(std::uint32_t id);
    // From a message ID and texts that fill its %s in order.
    CException(std::uint32_t id, std::vector<std::string> args);
    template <class... A>
        requires(sizeof...(A) >= 1 && sizeof...(A) <= 6)
    CException(std::uint32_t id, const A&... args)
        : CException(id, std::vector<std::string>{ArgText(args)...}) {}

    // From a message ID and the system error code that caused the failure: the texts fill the
    // first %s, the code's description the next one.
    template <class... A> static CException FromCode(std::uint32_t id, int code, const A&... args) {
        CException e(id, std::vector<std::string>{ArgText(args)..., SystemErrorText(code)});
        e.m_code = static_cast<std::uint32_t>(code);
        return e;
    }
    // Carries an existing error record unchanged.
    explicit CException(const CSimpleErr& err);

    const char* what() const noexcept override { return m_text.c_str(); }
};

// A failure caused by the value of one form control; carries the control's identifier.
class CCtrlException : public CException {
public:
    CCtrlException(const CException& e, std::uint32_t ctrlId) : CException(e), m_ctrlId(ctrlId) {}
    std::uint32_t m_ctrlId = 0;
};

// An internal error (IDS_INTERNAL_ERROR) with a diagnostic text.
CException InternalError(std::string_view diagnostic);

} // namespace my
