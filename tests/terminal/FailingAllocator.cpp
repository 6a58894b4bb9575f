// The switchable failing operator new of FailingAllocator.h.
#include "FailingAllocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<bool> failAllocations{false};
}  // namespace

void SetAllocationsFail(bool fail) { failAllocations = fail; }

#if QUENLIX_FAIL_ALLOCATIONS
void* operator new(std::size_t size) {
    if (!failAllocations) {
        if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#endif
