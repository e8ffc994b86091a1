// The resource limits of the thumbnailer. File managers run it on every file a user browses, so a
// hostile or broken file must cost little: processor time, wall-clock time and address space are
// capped, and reaching a cap ends the process at once with a message and exit status 1.
#pragma once

#include <cstdint>

namespace thumb {

struct CLimits {
    unsigned m_cpuSeconds = 2;  // processor time (RLIMIT_CPU, then SIGXCPU)
    unsigned m_wallSeconds = 5; // wall-clock time for anything that blocks (alarm, SIGALRM)
    std::uint64_t m_addressSpace = std::uint64_t{1} << 30; // bytes (RLIMIT_AS); 0 keeps it
};

// The limits of the program; builds with a sanitizer get more time and no address-space cap,
// which the sanitizer's shadow memory could not live with.
CLimits ProgramLimits();

// Installs the limits for the rest of the process: the signal handlers write the message of the
// limit (IDS_THUMBNAIL_CPU_LIMIT or IDS_THUMBNAIL_TIME_LIMIT, formatted now, in the message
// language) to stderr and end the process with status 1. Limits already lower than these are kept. Raises nothing; a limit the system
// refuses is skipped.
void ApplyLimits(const CLimits& limits);

// The address-space limit ApplyLimits installed; 0 when none.
std::uint64_t AppliedAddressSpaceLimit();

} // namespace thumb
