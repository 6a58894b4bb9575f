// The allocation counter of the view tests (AllocationCounter.cpp replaces
// the global operator new of the test program).
#pragma once

namespace quenlix::testing {

/// False in sanitizer builds, where the counter is not installed.
bool CountingAllocations();
/// Calls of operator new so far.
long AllocationCount();

}  // namespace quenlix::testing
