// CCommand: one thing the user can do, run inside an exception barrier that turns every
// failure into one error record shown to the user, so the application always goes on.
#pragma once

#include "common/error.h"

#include <exception>

class CMsg;

// The error record of whatever the barrier caught (the current exception).
CSimpleErr ErrFromCurrentException();

class CCommand {
public:
    explicit CCommand(CMsg* msg) : m_msg(msg) {}
    virtual ~CCommand() = default;

    // Runs the body inside the barrier; a caught failure is shown and, with rethrow, raised
    // again as a my::CCtrlException. Answers whether the body succeeded.
    virtual bool Execute(bool perform, bool rethrow);
    // Runs the body; a caught failure is dropped without being shown.
    virtual bool Execute();
    // Whether the body would run without a failure (runs it with perform false).
    virtual bool CanExecute();

protected:
    virtual void DoExecute(bool perform) = 0;
    CMsg& Msg() { return *m_msg; }

private:
    [[nodiscard]] bool RunBarrier(bool perform, CSimpleErr& err);
    CMsg* m_msg;
};
