// How the C library keeps the memory of frames during a run: freed frame buffers stay in the
// process for the next frame, and what is left over goes back to the kernel when the run ends.
#pragma once

namespace mrv {

// From now on, buffers of up to 32 MiB come from the allocator's heaps and freed memory is not
// handed back to the kernel at once. Without this, each frame-sized buffer a worker thread frees
// is returned to the kernel and faulted in again, zeroed, for the next frame: a fifth of the
// time of an animated GIF or APNG run at 1280 x 720.
void KeepFreedFrameMemory();
// Hands the freed memory kept so far back to the kernel.
void ReleaseFreedFrameMemory();

} // namespace mrv
