#include "platform/frame_memory.h"

#include <malloc.h>

namespace mrv {

namespace {

// The largest mmap threshold glibc would set by itself; a frame of 4096 x 2048 BGRA fits.
constexpr int kHeapBufferLimit = 32 << 20;
// Free memory at the top of a heap up to this much stays for the next frames: a run holds a
// window of frames per worker, far below it.
constexpr int kKeptFreeMemory = 512 << 20;

} // namespace

void KeepFreedFrameMemory() {
    // Both fail only for values out of range, which these are not; glibc's own policy stays in
    // force then, which costs time but nothing else.
    (void)mallopt(M_MMAP_THRESHOLD, kHeapBufferLimit);
    (void)mallopt(M_TRIM_THRESHOLD, kKeptFreeMemory);
}

void ReleaseFreedFrameMemory() {
    (void)malloc_trim(0);
}

} // namespace mrv
