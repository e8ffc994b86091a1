#include "app/command.h"

#include "app/msg.h"
#include "common/message_ids.h"

#include <boost/regex.hpp>
#include <utility>

namespace {

// The message of a regular-expression error by its code; 0 when it has none of its own.
std::uint32_t RegexMessage(boost::regex_constants::error_type code) {
    switch (static_cast<int>(code)) {
    case 2:
        return IDS_REGEX_UNSPECIFIED;
    case 3:
        return IDS_REGEX_BAD_COLLATE;
    case 4:
        return IDS_REGEX_BAD_CLASS;
    case 5:
        return IDS_REGEX_BAD_ESCAPE;
    case 6:
        return IDS_REGEX_BAD_BACKREF;
    case 7:
        return IDS_REGEX_UNMATCHED_BRACKET;
    case 8:
        return IDS_REGEX_UNMATCHED_PAREN;
    case 9:
        return IDS_REGEX_UNMATCHED_BRACE;
    case 10:
        return IDS_REGEX_BAD_BRACE_RANGE;
    case 11:
        return IDS_REGEX_BAD_RANGE;
    case 12:
        return IDS_REGEX_OUT_OF_MEMORY;
    case 13:
        return IDS_REGEX_BAD_REPEAT;
    case 18:
        return IDS_REGEX_TOO_COMPLEX;
    case 19:
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
