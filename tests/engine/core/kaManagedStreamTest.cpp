#include "engine/core/kaManagedStream.h"

#include <gtest/gtest.h>

#include <sstream>

namespace
{

// A stream that reports its own destruction.
class WatchedStream : public std::istringstream
{
public:
    explicit WatchedStream(int& deaths) : std::istringstream("data"), m_Deaths(deaths) {}
    ~WatchedStream() override { ++m_Deaths; }

private:
    int& m_Deaths;
};

TEST(ManagedStream, DeletesItsStreamExactlyOnce)
{
    int deaths = 0;
    {
        kaManagedStream first(new WatchedStream(deaths));
        kaManagedStream second(std::move(first));
        EXPECT_EQ(first.Get(), nullptr);
        kaManagedStream third;
        third = std::move(second);
        EXPECT_EQ(deaths, 0);
        std::string word;
        *third >> word;
        EXPECT_EQ(word, "data");
    }
    EXPECT_EQ(deaths, 1);
}

TEST(ManagedStream, ResetDeletesTheOldStream)
{
    int deaths = 0;
    kaManagedStream stream(new WatchedStream(deaths));
    stream.Reset(new WatchedStream(deaths));
    EXPECT_EQ(deaths, 1);
    stream.Reset();
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(stream.Get(), nullptr);
}

} // namespace
