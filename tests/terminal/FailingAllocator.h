// A global operator new that can be told to fail, for tests of what the
// model does when memory runs out. Its definitions live in their own file so
// that no call site sees the allocator and the deallocator together.
#pragma once

// The sanitizer build keeps its own allocator: there nothing fails.
#if defined(__SANITIZE_ADDRESS__)
#define QUENLIX_FAIL_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUENLIX_FAIL_ALLOCATIONS 0
#endif
#endif
#ifndef QUENLIX_FAIL_ALLOCATIONS
#define QUENLIX_FAIL_ALLOCATIONS 1
#endif

inline constexpr bool kAllocationsCanFail = QUENLIX_FAIL_ALLOCATIONS != 0;

/// Makes every allocation throw std::bad_alloc until it is set false again.
void SetAllocationsFail(bool fail);

/// Every allocation fails while one of these lives.
struct AllocationsFail {
    AllocationsFail() { SetAllocationsFail(true); }
    ~AllocationsFail() { SetAllocationsFail(false); }
    AllocationsFail(const AllocationsFail&) = delete;
    AllocationsFail& operator=(const AllocationsFail&) = delete;
};
