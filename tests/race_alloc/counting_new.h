// Counts every allocation made through the global operator new of this test
// program (the replacements live in counting_new.cpp). AddressSanitizer
// allows a program to replace operator new; the replacements allocate with
// malloc and free with free, so the sanitizer still checks every block.
#pragma once

#include <cstdint>

namespace stridewell::testing {

// Allocations so far (every form of operator new, successful or not).
int64_t allocationCount();

}  // namespace stridewell::testing
