// Stopping a batch run from outside: Ctrl-C (SIGINT), a terminal that hangs up (SIGHUP) and a
// polite kill (SIGTERM). The handler only records the signal in an atomic, which the task reads
// through CTerminable between its steps and its savers read before each frame; the run then
// ends on its cancellation path, which removes its temporary files.
#pragma once

#include "common/terminable.h"

namespace cli {

// While alive, the first of these signals sets the flag and gives all three their default
// action back, so a second one ends a program that no longer responds. A signal the program was
// started ignoring (nohup) stays ignored. The previous actions return on destruction.
class CInterruptGuard {
public:
    CInterruptGuard();
    ~CInterruptGuard();
    CInterruptGuard(const CInterruptGuard&) = delete;
    CInterruptGuard& operator=(const CInterruptGuard&) = delete;

    // Answers whether one of the signals came since the guard was made.
    const CTerminable& Terminator() const;
    // The first signal that came, 0 while none has.
    int Signal() const;
    // The exit status of a run that such a signal stopped: 128 + its number, as a shell reports
    // a program the signal ended (130 after Ctrl-C).
    int ExitStatus() const;
};

} // namespace cli
