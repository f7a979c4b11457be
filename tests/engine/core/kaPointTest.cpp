#include "engine/core/kaPoint.h"
#include "engine/core/kaBinaryStream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

TEST(PointTest, LengthAndDistance)
{
    const kaPoint p(3, 4);
    EXPECT_DOUBLE_EQ(p.Length(), 5.0);
    EXPECT_EQ(p.LengthInt(), 5);
    EXPECT_DOUBLE_EQ(p.Distance(kaPoint(0, 0)), 5.0);
    EXPECT_DOUBLE_EQ(kaPoint(-1, -1).Distance(kaPoint(2, 3)), 5.0);
    EXPECT_EQ(kaPoint(1, 1).LengthInt(), 1);
}

TEST(PointTest, LengthAndDistanceDoNotOverflowAcrossTheRange)
{
    const kaPoint p(60000, 80000);
    EXPECT_DOUBLE_EQ(p.Length(), 100000.0);
    EXPECT_EQ(p.LengthInt(), 100000);
    const kaPoint extreme(-2147483647 - 1, -2147483647 - 1);
    EXPECT_NEAR(extreme.Length(), 2147483648.0 * std::sqrt(2.0), 1.0);
    EXPECT_DOUBLE_EQ(kaPoint(-2000000000, 0).Distance(kaPoint(2000000000, 0)), 4000000000.0);
}

TEST(PointTest, BinaryAndTextRoundTrips)
{
    std::stringbuf buffer;
    kaBinaryStream stream(&buffer);
    kaPoint(-5, 70000).Write(stream);
    EXPECT_EQ(buffer.str().size(), 8u);
    kaPoint read;
    read.Read(stream);
    EXPECT_EQ(read.x, -5);
    EXPECT_EQ(read.y, 70000);

    std::ostringstream out;
    kaPoint(-5, 12).WriteText(out);
    EXPECT_EQ(out.str(), "-5 12");
    std::istringstream in(out.str());
    kaPoint text;
    text.ReadText(in);
    EXPECT_EQ(text.x, -5);
    EXPECT_EQ(text.y, 12);

    std::istringstream bad("7 x");
    kaPoint kept(1, 2);
    kept.ReadText(bad);
    EXPECT_EQ(kept.x, 1);
    EXPECT_EQ(kept.y, 2);
}
