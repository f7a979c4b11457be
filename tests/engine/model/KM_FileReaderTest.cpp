#include "engine/model/KM_FileReader.h"
#include "engine/model/KM_Model.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/engine/model/KmfSamples.h"
#include "tests/support/engine/model/KmfTestSupport.h"

#include <gtest/gtest.h>

#include <iterator>

using kmftest::Bytes;

namespace
{

const char* const kErroneousModel = "\n*********ERRONEOUS DATA IN MODEL FILE********\n";
const char* const kErroneousAnim = "\n*********ERRONEOUS DATA IN ANIM FILE********\n";

class FileReaderTest : public ::testing::Test
{
protected:
    // Objects written in binary, without their header.
    std::string Binary(const std::function<bool(KM_Stream*)>& writer)
    {
        return m_Files.Written(writer, KM_Stream::kBinary, "part.kmf");
    }
    std::string SceneBytes()
    {
        return Binary([](KM_Stream* s) { return kmfsamples::Scene()->Write(s); });
    }
    std::string ListBytes(std::unique_ptr<KM_ObjectList> list)
    {
        return Binary([&](KM_Stream* s) { return list->Write(s); });
    }
    std::string MaterialsBytes()
    {
        KM_MaterialList materials;
        materials.Append(kmfsamples::Material());
        return Binary([&](KM_Stream* s) { return materials.Write(s); });
    }

    // Reads a model file's bytes as the mesh loader does.
    bool ReadModel(const std::string& bytes, std::unique_ptr<KM_Model>& model)
    {
        KM_Stream stream;
        EXPECT_TRUE(stream.Open(m_Files.Put("model.kmf", bytes).c_str(), KM_Stream::kBinary));
        stream.ReadHeader();
        model = std::make_unique<KM_Model>("model.kmf");
        return model->Read(&stream);
    }

    std::string Path(const std::string& bytes) { return m_Files.Put("file.kmf", bytes); }

    kmftest::Files m_Files;
    kmftest::MessageBoxCapture m_Boxes;
    testsupport::DebugCapture m_Debug;
};

} // namespace

TEST_F(FileReaderTest, ModelFileKeepsItsSceneMaterialsAndObjects)
{
    const std::string bytes = m_Files.Written(kmfsamples::WriteModel, KM_Stream::kBinary, "whole.kmf");
    std::unique_ptr<KM_Model> model;
    ASSERT_TRUE(ReadModel(bytes, model));
    EXPECT_EQ(model->GetName(), "model");
    ASSERT_NE(model->GetScene(), nullptr);
    EXPECT_EQ(model->GetScene()->m_FileName, "crate.max");
    EXPECT_EQ(model->GetMaterialList().GetCount(), 2u);
    EXPECT_EQ(model->GetObjectList().GetCount(), kmfsamples::ModelObjects()->GetCount());
    EXPECT_TRUE(m_Debug.Lines().empty());
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

TEST_F(FileReaderTest, SecondSceneOrListFailsTheModel)
{
    const std::string header = Bytes().Header().Data();
    const std::string objects = ListBytes(kmfsamples::ModelObjects());
    const struct
    {
        std::string bytes;
        const char* message;
    } cases[] = {
        {header + SceneBytes() + SceneBytes(), "Scene already generated\n"},
        {header + objects + objects, "Object List already generated\n"},
        {header + MaterialsBytes() + MaterialsBytes(), "Material List already generated\n"},
    };
    for (const auto& c : cases)
    {
        m_Debug.Clear();
        std::unique_ptr<KM_Model> model;
        EXPECT_FALSE(ReadModel(c.bytes, model));
        ASSERT_EQ(m_Debug.Lines().size(), 1u);
        EXPECT_EQ(m_Debug.Lines()[0], c.message);
    }
}

TEST_F(FileReaderTest, FailedTopLevelObjectsFailTheModel)
{
    const std::string header = Bytes().Header().Data();
    std::unique_ptr<KM_Model> model;
    EXPECT_FALSE(ReadModel(header + Bytes().U32(1).U32(2).U32(0).U32(1000).Data(), model));
    EXPECT_EQ(m_Debug.Lines(),
              (std::vector<std::string>{"Error Reading KM_Scene Data\n", "ERROR READING KM_SCENE\n"}));

    m_Debug.Clear();
    EXPECT_FALSE(ReadModel(header + Bytes().U32(7).U32(2).Data(), model));
    EXPECT_EQ(m_Debug.Lines(), (std::vector<std::string>{"\nError Reading Material List\n",
                                                         "ERROR READING KM_MATERIALLIST\n"}));

    m_Debug.Clear();
    m_Boxes.Clear();
    EXPECT_FALSE(ReadModel(header + Bytes().U32(18).U32(2).U32(0).Data(), model));
    EXPECT_EQ(m_Debug.Lines(), (std::vector<std::string>{"ERROR READING KMOBJECTLIST\n"}));
    EXPECT_TRUE(m_Boxes.Shown("Error Writing KM_ObjectList Data", "Exporter Error"));

    // Part of a type id at the end is not a clean end.
    EXPECT_FALSE(ReadModel(header + SceneBytes() + "\x01\x00", model));
}

TEST_F(FileReaderTest, ErroneousIdsAreReportedAndReadingGoesOn)
{
    const std::string bytes = Bytes().Header().U32(99).Raw(SceneBytes()).U32(5).Data();
    std::unique_ptr<KM_Model> model;
    ASSERT_TRUE(ReadModel(bytes, model));
    EXPECT_NE(model->GetScene(), nullptr);
    EXPECT_EQ(m_Debug.Lines(), (std::vector<std::string>{kErroneousModel, kErroneousModel}));
}

TEST_F(FileReaderTest, FailedMaterialIsDroppedAndTheListSucceeds)
{
    Bytes materials;
    materials.U32(7).U32(2).U32(0).U32(2);
    // The first material's texture list claims more textures than the file can hold.
    materials.U32(8).U32(1).U32(0).Str("Broken").Str("Standard").U32(0).U32(0).U32(0).Floats({0, 0, 0, 0});
    materials.U32(12).Floats({0, 0}).U32(0).U32(1).U32(1).U32(14).U32(1).U32(0x7FFFFFFF);
    materials.Raw(Binary([](KM_Stream* s) { return kmfsamples::Material("Good", false)->Write(s); }));
    std::unique_ptr<KM_Model> model;
    ASSERT_TRUE(ReadModel(Bytes().Header().Add(materials).Data(), model));
    ASSERT_EQ(model->GetMaterialList().GetCount(), 1u);
    EXPECT_EQ(model->GetMaterialList().GetMaterial(0)->GetName(), "Good");
    EXPECT_EQ(m_Debug.Lines(), (std::vector<std::string>{"ERROR Reading Material\n"}));
    EXPECT_EQ(m_Boxes.Boxes(), (std::vector<std::pair<std::string, std::string>>{
                                   {"Error Writing KM_TextureList Data", "Exporter Error"},
                                   {"Error Writing KM_Material Data", "Exporter Error"}}));
}

TEST_F(FileReaderTest, RefusedHeaderFailsTheModel)
{
    const std::string bytes = Bytes().Header(4).Raw(SceneBytes()).Data();
    std::unique_ptr<KM_Model> model;
    EXPECT_FALSE(ReadModel(bytes, model));
    EXPECT_EQ(m_Debug.Lines(), (std::vector<std::string>{"Error Reading Binary Header"}));
    EXPECT_EQ(model->GetScene(), nullptr);
}

TEST_F(FileReaderTest, SkeletonFileYieldsACopyOfItsFirstSkeleton)
{
    auto list = std::make_unique<KM_ObjectList>();
    list->Append(kmfsamples::Animation());
    list->Append(kmfsamples::Skeleton("First"));
    list->Append(kmfsamples::Skeleton("Second"));
    const std::string path =
        Path(Bytes().Header().Raw(SceneBytes()).U32(7).Raw(ListBytes(std::move(list))).Data());
    std::unique_ptr<KM_Skeleton> skeleton = KM_FileReader::ReadSkeleton(path.c_str());
    ASSERT_NE(skeleton, nullptr);
    EXPECT_EQ(skeleton->GetName(), "First");
    EXPECT_EQ(skeleton->m_Bones.size(), 2u);
    // A material list has no place in a skeleton file.
    EXPECT_EQ(m_Debug.Lines(), (std::vector<std::string>{kErroneousModel}));

    std::unique_ptr<KM_Animation> animation = KM_FileReader::ReadAnimation(path.c_str());
    ASSERT_NE(animation, nullptr);
    EXPECT_EQ(animation->GetName(), "FeetDown");
    EXPECT_EQ(m_Debug.Lines().back(), kErroneousAnim);
}

TEST_F(FileReaderTest, SkeletonFileYieldsNothingWithoutASkeleton)
{
    EXPECT_EQ(KM_FileReader::ReadSkeleton(m_Files.Path("missing.kmf").c_str()), nullptr);
    EXPECT_EQ(KM_FileReader::ReadSkeleton(Path(Bytes().Header().Data()).c_str()), nullptr);
    EXPECT_EQ(KM_FileReader::ReadSkeleton(Path(Bytes().Header().Raw(SceneBytes()).Data()).c_str()), nullptr);
    auto list = std::make_unique<KM_ObjectList>();
    list->Append(kmfsamples::Animation());
    const std::string onlyAnimation = Path(Bytes().Header().Raw(ListBytes(std::move(list))).Data());
    EXPECT_EQ(KM_FileReader::ReadSkeleton(onlyAnimation.c_str()), nullptr);
    EXPECT_NE(KM_FileReader::ReadAnimation(onlyAnimation.c_str()), nullptr);
    EXPECT_EQ(KM_FileReader::ReadAnimation(Path(Bytes().Header(4).Data()).c_str()), nullptr);
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

// Objects the caller holds are read over, not added to: a list read again holds only the file's members,
// one that fails to read is left empty, and one the file does not bring stays as it was.
TEST_F(FileReaderTest, HeldObjectsAreReadOverAndLeftEmptyWhenTheyFail)
{
    const std::string header = Bytes().Header().Data();
    const uint32_t fileObjects = kmfsamples::ModelObjects()->GetCount();
    const struct
    {
        std::string bytes;
        bool ok;
        bool materialsRead;
        uint32_t materials;
        bool objectsRead;
        uint32_t objects;
    } cases[] = {
        {header + MaterialsBytes() + ListBytes(kmfsamples::ModelObjects()), true, true, 1, true, fileObjects},
        {header + SceneBytes() + ListBytes(kmfsamples::ModelObjects()), true, false, 3, true, fileObjects},
        {header + Bytes().U32(7).U32(2).Data(), false, false, 0, false, 2},
        {header + SceneBytes() + Bytes().U32(18).U32(2).U32(0).Data(), false, false, 3, false, 0},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        SCOPED_TRACE("case " + std::to_string(i));
        const auto& c = cases[i];
        KM_Scene scene;
        KM_MaterialList materials;
        for (int m = 0; m < 3; ++m)
            materials.Append(kmfsamples::Material());
        KM_ObjectList objects;
        objects.Append(std::make_unique<KM_Scene>());
        objects.Append(std::make_unique<KM_Scene>());
        KM_FileReader::Slots slots;
        slots.scene = &scene;
        slots.materials = &materials;
        slots.objects = &objects;
        KM_Stream stream;
        ASSERT_TRUE(m_Files.Open(stream, c.bytes));
        ASSERT_TRUE(stream.ReadHeader());
        EXPECT_EQ(KM_FileReader::ReadTopLevel(&stream, true, kErroneousModel, slots), c.ok);
        EXPECT_EQ(slots.materialsRead, c.materialsRead);
        EXPECT_EQ(materials.GetCount(), c.materials);
        EXPECT_EQ(slots.objectsRead, c.objectsRead);
        EXPECT_EQ(objects.GetCount(), c.objects);
    }
}
