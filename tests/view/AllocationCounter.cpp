// Counts the program's allocations, so a test can see that a repaint does
// not allocate for each character it draws.
#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

// The sanitizer builds keep their own allocator and skip the counting tests.
#if defined(__SANITIZE_ADDRESS__)
#define QUENLIX_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUENLIX_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef QUENLIX_COUNT_ALLOCATIONS
#define QUENLIX_COUNT_ALLOCATIONS 1
#endif

namespace {
std::atomic<long> allocations{0};
}  // namespace

#if QUENLIX_COUNT_ALLOCATIONS
void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#endif

namespace quenlix::testing {

bool CountingAllocations() { return QUENLIX_COUNT_ALLOCATIONS != 0; }
long AllocationCount() { return allocations.load(std::memory_order_relaxed); }

}  // namespace quenlix::testing
