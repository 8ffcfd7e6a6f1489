// Allocations that fail on request, and what the monitor does when one
// fails at any point of a rescan.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "FakeMonitor.h"

namespace {
thread_local long allocationsLeft = -1;  // the allocation after this many fails; -1: none fails

// Makes the allocation after `count` more fail with std::bad_alloc (-1: none).
void FailAllocationAfter(long count) { allocationsLeft = count; }
}  // namespace

// Every form of the plain allocation functions goes through here, so that
// memory is always taken and given back by the same pair.
namespace {
void* Allocate(std::size_t size) {
    if (allocationsLeft >= 0 && allocationsLeft-- == 0) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* AllocateOrNull(std::size_t size) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

TEST(OutOfMemory, ARescanThatFailsAnywhereLeavesTheNextOneFree) {
    FakeWorld w;
    StartedForm form{w.Deps()};
    for (long k = 0; k < 60; ++k) {
        FailAllocationAfter(k);
        try {
            form.btnRescan_Click();
        } catch (const std::bad_alloc&) {
        }
        FailAllocationAfter(-1);
        w.inet.requests.clear();
        form.btnRescan_Click();
        ASSERT_EQ(w.inet.requests.size(), 1u) << "after the allocation " << k << " of a rescan failed";
        ASSERT_TRUE(w.view.rescanEnabled) << k;
    }
}

// Start-up that fails at any point leaves the timer running: the program
// goes on watching.
TEST(OutOfMemory, AStartUpThatFailsAnywhereLeavesTheTimerRunning) {
    for (long k = 0; k < 80; ++k) {
        FakeWorld w;
        frmWendrel form{w.Deps()};
        form.Form_Initialize();
        FailAllocationAfter(k);
        try {
            form.Form_Load();
        } catch (const std::bad_alloc&) {
        }
        FailAllocationAfter(-1);
        ASSERT_TRUE(w.view.timerEnabled) << "after the allocation " << k << " of start-up failed";
    }
}

}  // namespace
