// A replacement of the global operator new for the test programs that link
// ReplacedAllocator.cpp: it counts allocations, so a test can see that a hot
// path allocates nothing, and can be told to fail, so a test can see what the
// code does when memory runs out. Sanitizer builds keep their own allocator:
// there the replacement is not installed and such tests skip.
#pragma once

namespace quenlix::testing {

/// False in sanitizer builds, where nothing is counted and nothing fails.
bool AllocatorReplaced();
/// Calls of operator new so far.
long AllocationCount();
/// While set, every allocation throws std::bad_alloc.
void SetAllocationsFail(bool fail);

/// Every allocation fails while one of these lives.
struct AllocationsFail {
    AllocationsFail() { SetAllocationsFail(true); }
    ~AllocationsFail() { SetAllocationsFail(false); }
    AllocationsFail(const AllocationsFail&) = delete;
    AllocationsFail& operator=(const AllocationsFail&) = delete;
};

}  // namespace quenlix::testing
