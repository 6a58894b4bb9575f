// The counting, switchable operator new of ReplacedAllocator.h. Its
// definitions live in a file of their own so that no call site sees the
// allocator and the deallocator together (GCC would take the malloc/free
// pair for a mismatch where it inlines them).
#include "support/ReplacedAllocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define QUENLIX_REPLACE_ALLOCATOR 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUENLIX_REPLACE_ALLOCATOR 0
#endif
#endif
#ifndef QUENLIX_REPLACE_ALLOCATOR
#define QUENLIX_REPLACE_ALLOCATOR 1
#endif

namespace {
std::atomic<long> allocations{0};
std::atomic<bool> failing{false};
}  // namespace

#if QUENLIX_REPLACE_ALLOCATOR
void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (!failing.load(std::memory_order_relaxed)) {
        if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#endif

namespace quenlix::testing {

bool AllocatorReplaced() { return QUENLIX_REPLACE_ALLOCATOR != 0; }
long AllocationCount() { return allocations.load(std::memory_order_relaxed); }
void SetAllocationsFail(bool fail) { failing.store(fail, std::memory_order_relaxed); }

}  // namespace quenlix::testing
