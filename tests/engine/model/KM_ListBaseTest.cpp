#include "engine/model/KM_ListBase.h"
#include "engine/model/KM_Material.h"
#include "engine/model/KM_MaterialList.h"
#include "engine/model/KM_Stream.h"
#include "engine/model/KM_TextureList.h"
#include "tests/support/engine/model/KmfSamples.h"
#include "tests/support/engine/model/KmfTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

std::vector<std::string> NamesForward(const KM_ListBase& list)
{
    std::vector<std::string> names;
    for (KM_Object* member = list.GetFirst(); member != nullptr; member = member->GetNext())
        names.push_back(member->GetName());
    return names;
}

std::vector<std::string> NamesBackward(const KM_ListBase& list)
{
    std::vector<std::string> names;
    for (KM_Object* member = list.GetLast(); member != nullptr; member = member->GetPrevious())
        names.insert(names.begin(), member->GetName());
    return names;
}

} // namespace

// A member taken out leaves the rest linked both ways and counted, wherever it stood; one that is not a
// member (or null) takes nothing.
TEST(ListBaseTest, DetachHandsOverOneMemberAndRelinksTheRest)
{
    const struct
    {
        int taken;
        std::vector<std::string> left;
    } cases[] = {{0, {"b", "c"}}, {1, {"a", "c"}}, {2, {"a", "b"}}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.taken);
        KM_MaterialList list;
        for (const char* name : {"a", "b", "c"})
            list.Append(kmfsamples::Material(name, false));
        KM_Object* const member = list.GetAt(c.taken);
        std::unique_ptr<KM_Object> detached = list.Detach(member);
        ASSERT_EQ(detached.get(), member);
        EXPECT_EQ(detached->GetNext(), nullptr);
        EXPECT_EQ(detached->GetPrevious(), nullptr);
        EXPECT_EQ(list.GetCount(), 2u);
        EXPECT_EQ(NamesForward(list), c.left);
        EXPECT_EQ(NamesBackward(list), c.left);
        // Taken once only.
        EXPECT_EQ(list.Detach(member), nullptr);
        EXPECT_EQ(list.GetCount(), 2u);
    }

    KM_MaterialList only;
    only.Append(kmfsamples::Material("x", false));
    KM_Material stranger;
    EXPECT_EQ(only.Detach(&stranger), nullptr);
    EXPECT_EQ(only.Detach(nullptr), nullptr);
    EXPECT_EQ(only.GetCount(), 1u);
    EXPECT_NE(only.Detach(only.GetFirst()), nullptr);
    EXPECT_EQ(only.GetFirst(), nullptr);
    EXPECT_EQ(only.GetLast(), nullptr);
    EXPECT_EQ(only.GetCount(), 0u);
}

TEST(ListBaseTest, ResetEmptiesAndRestoresTheVersionTheListWasMadeWith)
{
    KM_MaterialList materials;
    const uint32_t made = materials.GetVersion();
    materials.Append(kmfsamples::Material("a", false));
    // A list read from a file takes the file's version.
    kmftest::Files files;
    const std::string bytes = files.Written(
        [](KM_Stream* s)
        {
            KM_MaterialList written;
            written.Append(kmfsamples::Material("b", false));
            return written.Write(s);
        });
    KM_Stream stream;
    ASSERT_TRUE(files.Open(stream, bytes));
    uint32_t typeId = 0;
    ASSERT_TRUE(stream.ReadU32(typeId));
    KM_MaterialList read;
    ASSERT_TRUE(read.Read(&stream));
    ASSERT_NE(read.GetVersion(), made);
    read.Reset();
    EXPECT_EQ(read.GetVersion(), made);
    EXPECT_EQ(read.GetCount(), 0u);
    EXPECT_EQ(read.GetFirst(), nullptr);
    materials.Reset();
    EXPECT_EQ(materials.GetCount(), 0u);
}

// A material read again over one that had textures keeps only what the second read brings.
TEST(ListBaseTest, AMaterialReadAgainKeepsNoTexturesOfTheFirstRead)
{
    kmftest::Files files;
    auto withTexture = kmfsamples::Material("Textured", false);
    auto plain = std::make_unique<KM_Material>();
    plain->SetName("Plain");
    const std::string first = files.Written(*withTexture);
    const std::string second = files.Written(*plain);

    KM_Material material;
    KM_Stream stream;
    ASSERT_TRUE(files.Open(stream, first, "first.kmf"));
    ASSERT_TRUE(material.Read(&stream));
    ASSERT_EQ(material.GetTextureCount(), 1);

    ASSERT_TRUE(files.Open(stream, second, "second.kmf"));
    ASSERT_TRUE(material.Read(&stream));
    EXPECT_EQ(material.GetName(), "Plain");
    EXPECT_EQ(material.GetTextureCount(), 0);
    EXPECT_EQ(material.GetTexture(0), nullptr);
    EXPECT_EQ(material.Textures().GetVersion(), KM_TextureList().GetVersion());
}
