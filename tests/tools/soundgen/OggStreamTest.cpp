#include "tools/soundgen/OggStream.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{

// Frames libsndfile decodes from a file, block by block: a damaged file may claim any length.
size_t DecodedFrames(const std::string& path)
{
    SF_INFO info = {};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return 0;
    std::vector<float> block(4096 * static_cast<size_t>(info.channels > 0 ? info.channels : 1));
    size_t frames = 0;
    for (sf_count_t got; (got = sf_readf_float(file, block.data(), 4096)) > 0;)
        frames += static_cast<size_t>(got);
    sf_close(file);
    return frames;
}

TEST(OggStreamTest, EncodingIsRepeatableAndTheSerialCanBeAnyValue)
{
    std::vector<float> samples(22050);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = 0.5f * static_cast<float>(std::sin(i * 0.05));
    std::string first, second;
    ASSERT_TRUE(OggStream::Encode(samples, 22050, first));
    ASSERT_TRUE(OggStream::Encode(samples, 22050, second));
    EXPECT_EQ(first, second);

    testsupport::TempDir dir;
    for (uint32_t serial : {OggStream::kSerial, 1u, 0xFFFFFFFFu})
    {
        std::string bytes = first;
        ASSERT_TRUE(OggStream::SetSerial(bytes, serial));
        // Every page checks out again: the decoder drops pages whose checksum is wrong.
        const std::string path = dir.Write("serial.ogg", bytes);
        EXPECT_EQ(DecodedFrames(path), samples.size()) << serial;
    }
    // A page's checksum covers its bytes: one changed byte without a new checksum loses the page.
    std::string damaged = first;
    damaged[damaged.size() - 10] ^= 0x55;
    EXPECT_LT(DecodedFrames(dir.Write("damaged.ogg", damaged)), samples.size());
}

TEST(OggStreamTest, BytesThatAreNotWholePagesAreLeftAlone)
{
    std::string good;
    ASSERT_TRUE(OggStream::Encode(std::vector<float>(4000, 0.1f), 22050, good));
    const std::string cases[] = {"", "OggS", good.substr(0, good.size() - 1), "xggS" + good.substr(4),
                                 good + "OggS"};
    for (const std::string& original : cases)
    {
        std::string bytes = original;
        EXPECT_FALSE(OggStream::SetSerial(bytes, 7)) << original.size();
        EXPECT_EQ(bytes, original);
    }
}

} // namespace
