#include "app/command.h"

#include "app/msg.h"
#include "common/message_ids.h"

#include <boost/regex.hpp>
#include <utility>

namespace {

// The message of a regular-expression error by its code; 0 when it has none of its own.
std::uint32_t RegexMessage(boost::regex_constants::error_type code) {
    namespace rc = boost::regex_constants;
    switch (code) {
    case rc::error_bad_pattern:
        return IDS_REGEX_UNSPECIFIED;
    case rc::error_collate:
        return IDS_REGEX_BAD_COLLATE;
    case rc::error_ctype:
        return IDS_REGEX_BAD_CLASS;
    case rc::error_escape:
        return IDS_REGEX_BAD_ESCAPE;
    case rc::error_backref:
        return IDS_REGEX_BAD_BACKREF;
    case rc::error_brack:
        return IDS_REGEX_UNMATCHED_BRACKET;
    case rc::error_paren:
        return IDS_REGEX_UNMATCHED_PAREN;
    case rc::error_brace:
        return IDS_REGEX_UNMATCHED_BRACE;
    case rc::error_badbrace:
        return IDS_REGEX_BAD_BRACE_RANGE;
    case rc::error_range:
        return IDS_REGEX_BAD_RANGE;
    case rc::error_space:
        return IDS_REGEX_OUT_OF_MEMORY;
    case rc::error_badrepeat:
        return IDS_REGEX_BAD_REPEAT;
    case rc::error_complexity:
        return IDS_REGEX_TOO_COMPLEX;
    case rc::error_stack:
        return IDS_REGEX_OUT_OF_STACK;
    default:
        return 0;
    }
}

} // namespace

CSimpleErr ErrFromCurrentException() {
    try {
        throw;
    } catch (const my::CException& e) {
        return static_cast<const CSimpleErr&>(e);
    } catch (const boost::regex_error& e) {
        const std::uint32_t id = RegexMessage(e.code());
        if (id != 0) {
            return my::CException(id);
        }
        return my::CException(IDS_REGEX_ERROR, std::string(e.what()));
    } catch (const std::exception& e) {
        return my::CException(IDS_STD_EXCEPTION, std::string(e.what()));
    } catch (...) {
        return my::CException(IDS_UNKNOWN_EXCEPTION);
    }
}

bool CCommand::RunBarrier(bool perform, CSimpleErr& err) {
    try {
        DoExecute(perform);
        return true;
    } catch (...) {
        err = ErrFromCurrentException();
        return false;
    }
}

bool CCommand::Execute(bool perform, bool rethrow) {
    CSimpleErr err;
    if (RunBarrier(perform, err)) {
        return true;
    }
    m_msg->ShowError(err);
    if (rethrow) {
        throw my::CCtrlException(my::CException(err), 0);
    }
    return false;
}

bool CCommand::Execute() {
    CSimpleErr err;
    return RunBarrier(true, err);
}

bool CCommand::CanExecute() {
    CSimpleErr err;
    return RunBarrier(false, err);
}
