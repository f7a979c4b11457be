#include "engine/core/CMemoryDebugBase.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <new>

namespace
{

class DebugAllocated : public CMemoryDebugBase
{
public:
    explicit DebugAllocated(int value) : value(value) {}
    int value;
};

// Only the uninstrumented build can ask for an impossible size: the address sanitizer aborts on it.
#if !defined(__SANITIZE_ADDRESS__)
int g_HandlerCalls = 0;

void GiveUpHandler()
{
    ++g_HandlerCalls;
    std::set_new_handler(nullptr);
}
#endif

} // namespace

// Break points stop nothing and nothing is counted, whichever form of new made the object.
TEST(MemoryDebugBaseTest, AllocationsAreNeverCountedNorStopped)
{
    CMemoryDebugBase::SetAllocationBreakPoint(0);
    CMemoryDebugBase::SetDebugBreakPoint(1);
    CMemoryDebugBase::SetDeleteBreakPoint(0);
    DebugAllocated* single = new DebugAllocated(3);
    DebugAllocated* tagged = new (__FILE__, __LINE__) DebugAllocated(4);
    DebugAllocated* many =
        new (__FILE__, __LINE__) DebugAllocated[3]{DebugAllocated(1), DebugAllocated(2), DebugAllocated(5)};
    EXPECT_EQ(CMemoryDebugBase::GetAllocationCount(), 0);
    EXPECT_EQ(single->value + tagged->value + many[2].value, 12);
    delete single;
    delete tagged;
    delete[] many;
    CMemoryDebugBase::ClearAllocationBreakPoint();
    CMemoryDebugBase::ClearDeleteBreakPoint();
    EXPECT_EQ(CMemoryDebugBase::GetAllocationCount(), 0);
}

TEST(MemoryDebugBaseTest, FailedAllocationAsksTheNewHandlerThenThrows)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer aborts on impossible allocation sizes";
#else
    const std::size_t impossible = std::numeric_limits<std::size_t>::max() / 2;
    g_HandlerCalls = 0;
    const std::new_handler previous = std::set_new_handler(GiveUpHandler);
    EXPECT_THROW(CMemoryDebugBase::operator new(impossible, __FILE__, __LINE__), std::bad_alloc);
    EXPECT_EQ(g_HandlerCalls, 1);
    std::set_new_handler(previous);
#endif
}

TEST(MemoryDebugBaseTest, NullIsFreedQuietly)
{
    CMemoryDebugBase::operator delete(nullptr);
    CMemoryDebugBase::operator delete[](nullptr, __FILE__, __LINE__);
    void* block = CMemoryDebugBase::operator new(0);
    EXPECT_NE(block, nullptr);
    CMemoryDebugBase::operator delete(block, 0, __FILE__, __LINE__);
}
