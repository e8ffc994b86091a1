// Ctrl-C during a batch run: the SIGINT handler only raises an atomic flag, which the task
// reads through CTerminable between its steps and its savers read before each frame.
#pragma once

#include "common/terminable.h"

namespace cli {

// While alive, the first SIGINT sets the flag and restores the default action, so a second
// Ctrl-C ends a program that no longer responds. The previous action returns on destruction.
class CInterruptGuard {
public:
    CInterruptGuard();
    ~CInterruptGuard();
    CInterruptGuard(const CInterruptGuard&) = delete;
    CInterruptGuard& operator=(const CInterruptGuard&) = delete;

    // Answers whether Ctrl-C was pressed since the guard was made.
    const CTerminable& Terminator() const;
};

} // namespace cli
