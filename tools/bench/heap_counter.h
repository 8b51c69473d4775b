// Counts every heap allocation of the process that goes through operator new
// (glibc's malloc_usable_size gives the size freed), so that a benchmark can
// report the peak heap memory of one piece of work. Linking heap_counter.cpp
// replaces the global operator new and delete of the whole executable.
//
// Thread rules: the counters are atomic; the peak is exact only when one
// thread allocates while it is measured.
#pragma once

#include <cstddef>

namespace tenrovel::bench {

// Bytes allocated and not yet freed.
std::size_t HeapInUse();
// The highest HeapInUse since the last ResetHeapPeak.
std::size_t HeapPeak();
// Starts a measurement: the peak becomes what is in use now.
void ResetHeapPeak();

}  // namespace tenrovel::bench
