#include "engine/model/kaAnimation.h"
#include "engine/model/KM_Animation.h"
#include "engine/model/KM_ObjectList.h"
#include "engine/model/KM_Stream.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/model/ModelTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace
{

KM_Animation::Key Key(uint32_t ms, float x, float angleY = 0.0f)
{
    KM_Animation::Key key;
    key.time = ms;
    key.position[0] = x;
    key.rotation[1] = std::sin(angleY / 2);
    key.rotation[3] = std::cos(angleY / 2);
    return key;
}

KM_Animation TwoBones()
{
    KM_Animation file;
    file.m_AnimationName = "Wave";
    file.m_Length = 2000;
    file.m_FramesPerSecond = 30;
    file.m_KeyCount = 3;
    file.m_BoneCount = 2;
    file.m_BoneAnims[0].boneName = "Arm";
    file.m_BoneAnims[0].keys = {Key(0, 0), Key(500, 1), Key(2000, 4)};
    file.m_BoneAnims[1].boneName = "Hand";
    file.m_BoneAnims[1].keys = {Key(0, 10), Key(500, 20, 1.0f), Key(2000, 30)};
    return file;
}

} // namespace

TEST(kaAnimationBuild, TimesAreMillisecondsTurnedIntoSeconds)
{
    kaAnimation animation;
    ASSERT_TRUE(animation.Build(TwoBones(), "wave.kmf"));
    EXPECT_FLOAT_EQ(animation.GetLength(), 2.0f);
    ASSERT_EQ(animation.GetKeyCount(), 3);
    EXPECT_FLOAT_EQ(animation.GetKeyTimes()[1], 0.5f);
    EXPECT_EQ(animation.GetBoneCount(), 2);
    EXPECT_EQ(animation.GetTracks()[1].boneName, "Hand");
    EXPECT_EQ(animation.GetName(), "Wave");
    EXPECT_EQ(animation.GetFileName(), "wave.kmf");
    EXPECT_EQ(animation.GetFramesPerSecond(), 30u);
}

TEST(kaAnimationBuild, TheKeysHeldDecideAndNoKeysFail)
{
    KM_Animation file = TwoBones();
    file.m_BoneAnims[1].keys.resize(1);
    file.m_BoneAnims[2].boneName = "Nothing";
    // The stated counts are wrong on purpose: the records held decide.
    file.m_KeyCount = 50;
    file.m_BoneCount = 9;
    kaAnimation animation;
    ASSERT_TRUE(animation.Build(file, "wave.kmf"));
    ASSERT_EQ(animation.GetBoneCount(), 2);
    ASSERT_EQ(animation.GetKeyCount(), 3);
    const kaBoneTrack& hand = animation.GetTracks()[1];
    ASSERT_EQ(hand.keys.size(), 3u);
    EXPECT_FLOAT_EQ(hand.keys[2].position.x, 10.0f);
    // The time line comes from the track that holds the keys.
    EXPECT_FLOAT_EQ(animation.GetKeyTimes()[2], 2.0f);

    // An animation without keys fails.
    KM_Animation empty;
    empty.m_BoneCount = 3;
    empty.m_KeyCount = 3;
    empty.m_BoneAnims[0].boneName = "Arm";
    EXPECT_FALSE(kaAnimation().Build(empty, "empty.kmf"));
}

// Builds of different shapes into one animation, each after a larger one: every track reads exactly its own
// keys (a shorter track holding its last), and nothing of an earlier build shows through.
TEST(kaAnimationBuild, EachTrackReadsItsOwnKeysAfterEveryRebuild)
{
    const struct
    {
        std::vector<size_t> keysPerTrack;
    } shapes[] = {{{4, 1, 0, 3, 2}}, {{2, 2}}, {{1}}, {{0, 3}}, {{5, 5, 5}}};
    kaAnimation animation;
    for (const auto& shape : shapes)
    {
        KM_Animation file;
        size_t longest = 0;
        for (size_t t = 0; t < shape.keysPerTrack.size(); ++t)
        {
            KM_Animation::Track& track = file.m_BoneAnims[static_cast<uint32_t>(t)];
            track.boneName = "Bone" + std::to_string(t);
            for (size_t k = 0; k < shape.keysPerTrack[t]; ++k)
                track.keys.push_back(Key(static_cast<uint32_t>(100 * k), float(10 * t + k)));
            longest = std::max(longest, shape.keysPerTrack[t]);
        }
        ASSERT_TRUE(animation.Build(file, "shape.kmf"));
        ASSERT_EQ(animation.GetKeyCount(), static_cast<int32_t>(longest));
        size_t track = 0;
        for (size_t t = 0; t < shape.keysPerTrack.size(); ++t)
        {
            const size_t held = shape.keysPerTrack[t];
            if (held == 0)
                continue;
            ASSERT_LT(track, animation.GetTracks().size());
            const kaBoneTrack& built = animation.GetTracks()[track++];
            EXPECT_EQ(built.boneName, "Bone" + std::to_string(t));
            ASSERT_EQ(built.keys.size(), longest);
            for (size_t k = 0; k < longest; ++k)
                EXPECT_FLOAT_EQ(built.keys[k].position.x, float(10 * t + std::min(k, held - 1)))
                    << "track " << t << " key " << k;
        }
        EXPECT_EQ(animation.GetTracks().size(), track);
    }
}

// Tracks live inside the animation's block: names too long to sit inside their strings must still be copied
// whole, be read back after another build and after a failed one, and be given back with the animation (a leak
// shows under the sanitizers).
TEST(kaAnimationBuild, LongBoneNamesSurviveRebuildsAndAreGivenBack)
{
    const std::string longName(80, 'b');
    const struct
    {
        size_t tracks;
        bool builds;
    } rounds[] = {{3, true}, {0, false}, {1, true}, {4, true}};
    kaAnimation animation;
    for (const auto& round : rounds)
    {
        KM_Animation file;
        for (size_t t = 0; t < round.tracks; ++t)
        {
            KM_Animation::Track& track = file.m_BoneAnims[static_cast<uint32_t>(t)];
            track.boneName = longName + std::to_string(t);
            track.keys = {Key(0, float(t)), Key(1000, float(t) + 0.5f)};
        }
        ASSERT_EQ(animation.Build(file, "long.kmf"), round.builds) << round.tracks;
        ASSERT_EQ(animation.GetTracks().size(), round.builds ? round.tracks : 0u);
        ASSERT_EQ(animation.GetKeyTimes().size(), round.builds ? 2u : 0u);
        size_t t = 0;
        for (const kaBoneTrack& track : animation.GetTracks())
        {
            EXPECT_EQ(track.boneName, longName + std::to_string(t));
            ASSERT_EQ(track.keys.size(), 2u);
            EXPECT_FLOAT_EQ(track.keys[1].position.x, float(t) + 0.5f);
            ++t;
        }
        if (round.builds)
        {
            EXPECT_FLOAT_EQ(animation.GetKeyTimes()[1], 1.0f);
        }
    }
}

TEST(kaAnimationSampling, InterpolatesBetweenKeysAndHoldsTheEnds)
{
    kaAnimation animation;
    ASSERT_TRUE(animation.Build(TwoBones(), "wave.kmf"));
    const kaBoneTrack& arm = animation.GetTracks()[0];
    platform::Vector3 position;
    platform::Quaternion rotation;

    EXPECT_EQ(animation.FindKey(0.0f), 0);
    animation.Sample(arm, animation.FindKey(0.0f), 0.0f, &position, &rotation);
    EXPECT_FLOAT_EQ(position.x, 0.0f);

    EXPECT_EQ(animation.FindKey(1.25f), 2);
    animation.Sample(arm, animation.FindKey(1.25f), 1.25f, &position, &rotation);
    EXPECT_FLOAT_EQ(position.x, 2.5f);

    EXPECT_EQ(animation.FindKey(5.0f), 3);
    animation.Sample(arm, animation.FindKey(5.0f), 5.0f, &position, &rotation);
    EXPECT_FLOAT_EQ(position.x, 4.0f);

    const kaBoneTrack& hand = animation.GetTracks()[1];
    animation.Sample(hand, animation.FindKey(0.25f), 0.25f, &position, &rotation);
    EXPECT_FLOAT_EQ(position.x, 15.0f);
    EXPECT_NEAR(rotation.y, std::sin(0.25f), 1e-5f);
}

TEST(kaAnimationFile, LoadsFromAFileAndRefusesAMissingOne)
{
    testsupport::TempDir dir;
    const std::string path = dir.File("wave.kmf");
    ASSERT_TRUE(modeltest::WriteObject(path, std::make_unique<KM_Animation>(TwoBones())));
    kaAnimation animation;
    ASSERT_TRUE(animation.Load(path));
    EXPECT_EQ(animation.GetFileName(), path);
    EXPECT_FLOAT_EQ(animation.GetKeyTimes()[2], 2.0f);

    kaAnimation missing;
    EXPECT_FALSE(missing.Load(dir.File("none.kmf")));
}
