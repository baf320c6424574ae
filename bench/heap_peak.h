// The benchmark program's count of the heap: every operator new and delete of the process (the
// plug-in, the stand-in host and the libraries they use, qpdf among them) adds or takes the
// usable size of its block while a count runs. A benchmark reads the highest heap in use during
// the work it measures, over the heap in use when the count started. Memory that C code takes
// with malloc itself is not counted, nor what the allocator keeps for itself.
#pragma once

#include <cstdint>

namespace heap_peak {

// Starts a count from the heap in use now.
void Start();
// Forgets the peak so far: from now on it is the heap in use now (over that at Start).
void ForgetPeak();
// Ends the count; the highest heap in use since Start, over the heap in use then, in bytes.
std::int64_t Stop();

} // namespace heap_peak
