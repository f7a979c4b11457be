#include "engine/core/kaInitDataBase.h"

#include "engine/core/kaXmlHelpers.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/DeepXml.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

namespace
{

std::string Record(const std::string& body)
{
    return "<initData>" + body + "</initData>";
}

std::string File(const std::string& records)
{
    return "<?xml version=\"1.0\"?><root>" + records + "</root>";
}

class InitDataBaseTest : public ::testing::Test
{
protected:
    std::string Folder() const { return m_Dir.File("InitData"); }

    void Write(const std::string& name, const std::string& contents)
    {
        m_Dir.Write("InitData/" + name, contents);
    }

    // The "value" text of a record's data.
    std::string ValueOf(const std::string& type, const std::string& id) const
    {
        const kaInitData* record = m_Base.Find(type, id);
        return record ? GetChildElementText("value", record->GetData()) : "<none>";
    }

    // The "value" texts in the order Apply hands them over.
    std::string Applied(const std::string& type, const std::string& id) const
    {
        std::string order;
        m_Base.Apply(type, id,
                     [&](TiXmlElement* data) { order += GetChildElementText("value", data) + " "; });
        return order;
    }

    testsupport::TempDir m_Dir;
    kaInitDataBase m_Base;
};

TEST_F(InitDataBaseTest, GlobalPointerFollowsTheInstance)
{
    EXPECT_EQ(g_pInitDataBase, &m_Base);
    {
        kaInitDataBase other;
        EXPECT_EQ(g_pInitDataBase, &other);
    }
    EXPECT_EQ(g_pInitDataBase, nullptr);
}

TEST_F(InitDataBaseTest, FolderWithoutXmlFilesLeavesTheDatabaseEmpty)
{
    Write("readme.txt", File(Record("<uniqueID>a</uniqueID><data/>")));
    EXPECT_TRUE(m_Base.LoadInitData(Folder()));
    EXPECT_EQ(m_Base.GetTable("Entity"), nullptr);
    EXPECT_TRUE(m_Base.LoadInitData(m_Dir.File("Missing")));
    EXPECT_EQ(m_Base.GetTable("Entity"), nullptr);
}

// One folder: the first record of a key wins across files and within one; an absent data type means
// "Entity" but an empty one the empty name; skipped records still create their table; includes keep their
// order, empty ones too.
TEST_F(InitDataBaseTest, RecordsAreFiledByTypeAndFirstKey)
{
    Write("b.xml", File(Record("<uniqueID>car</uniqueID><data><value>b</value></data>")));
    Write("A.xml", File(Record("<uniqueID>car</uniqueID><data><value>a1</value></data>") +
                        Record("<uniqueID>car</uniqueID><data><value>a2</value></data>") +
                        Record("<uniqueID>bike</uniqueID><data><value>a3</value></data>")));
    Write(
        "types.xml",
        File(Record("<uniqueID>a</uniqueID><data><value>1</value></data>") +
             Record("<uniqueID>b</uniqueID><dataType/><data><value>2</value></data>") +
             Record("<uniqueID>c</uniqueID><dataType>RenderState</dataType><data><value>3</value></data>")));
    Write("skip.xml", File(Record("<uniqueID>noData</uniqueID><dataType>Venue</dataType>") +
                           Record("<uniqueID></uniqueID><dataType>Career</dataType><data/>") +
                           Record("<dataType>Material</dataType><data/>")));
    Write("inc.xml", File(Record("<uniqueID>truck</uniqueID><include>base</include><include/>"
                                 "<include>wheels</include><data/>")));
    m_Base.LoadInitData(Folder());
    EXPECT_EQ(ValueOf("Entity", "car"), "a1");
    EXPECT_EQ(ValueOf("Entity", "bike"), "a3");
    EXPECT_EQ(m_Base.GetTable("Entity")->size(), 4u);

    EXPECT_EQ(ValueOf("Entity", "a"), "1");
    EXPECT_EQ(ValueOf("", "b"), "2");
    EXPECT_EQ(ValueOf("RenderState", "c"), "3");
    EXPECT_EQ(m_Base.Find("Entity", "b"), nullptr);
    EXPECT_EQ(m_Base.Find("entity", "a"), nullptr);
    EXPECT_EQ(m_Base.Find("Entity", "A"), nullptr);

    for (const char* type : {"Venue", "Career", "Material"})
    {
        ASSERT_NE(m_Base.GetTable(type), nullptr) << type;
        EXPECT_TRUE(m_Base.GetTable(type)->empty()) << type;
    }

    const kaInitData* record = m_Base.Find("Entity", "truck");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->GetIncludes(), (std::vector<std::string>{"base", "", "wheels"}));
}

TEST_F(InitDataBaseTest, UnreadableFilesAreSkippedAndTheRestLoads)
{
    Write("a_broken.xml", "<root><initData>");
    Write("b_noroot.xml", "<other>" + Record("<uniqueID>x</uniqueID><data/>") + "</other>");
    Write("c_folder.xml/inside.xml", File(Record("<uniqueID>y</uniqueID><data/>")));
    Write("d_empty.xml", "");
    Write("d_deep.xml", File(Record("<uniqueID>w</uniqueID><data>" + testsupport::DeepXml("InitData", 40000) +
                                    "</data>")));
    Write("e_good.XML", File(Record("<uniqueID>z</uniqueID><data><value>ok</value></data>")));
    EXPECT_TRUE(m_Base.LoadInitData(Folder()));
    EXPECT_EQ(m_Base.Find("Entity", "x"), nullptr);
    EXPECT_EQ(m_Base.Find("Entity", "y"), nullptr);
    EXPECT_EQ(m_Base.Find("Entity", "w"), nullptr);
    EXPECT_EQ(ValueOf("Entity", "z"), "ok");
}

TEST_F(InitDataBaseTest, ClearForgetsEverythingAndReloadWorks)
{
    Write("a.xml", File(Record("<uniqueID>a</uniqueID><data><value>1</value></data>")));
    m_Base.LoadInitData(Folder());
    m_Base.Clear();
    EXPECT_EQ(m_Base.Find("Entity", "a"), nullptr);
    EXPECT_EQ(m_Base.GetTable("Entity"), nullptr);
    m_Base.LoadInitData(Folder());
    EXPECT_EQ(ValueOf("Entity", "a"), "1");
}

TEST_F(InitDataBaseTest, ApplyRunsIncludesFirstInOrder)
{
    Write(
        "a.xml",
        File(Record("<uniqueID>car</uniqueID><include>body</include><include>missing</include>"
                    "<include>wheels</include><data><value>car</value></data>") +
             Record("<uniqueID>body</uniqueID><include>paint</include><data><value>body</value></data>") +
             Record("<uniqueID>paint</uniqueID><data><value>paint</value></data>") +
             Record("<uniqueID>wheels</uniqueID><include>paint</include><data><value>wheels</value></data>") +
             Record("<uniqueID>other</uniqueID><dataType>Venue</dataType><data/>")));
    m_Base.LoadInitData(Folder());
    EXPECT_EQ(Applied("Entity", "car"), "paint body paint wheels car ");
    EXPECT_FALSE(m_Base.Apply("Entity", "nothing", [](TiXmlElement*) { FAIL(); }));
    EXPECT_FALSE(m_Base.Apply("Entity", "other", [](TiXmlElement*) { FAIL(); }));
}

TEST_F(InitDataBaseTest, CyclicIncludesAreSkippedWithADebuggerLine)
{
    Write("a.xml", File(Record("<uniqueID>a</uniqueID><include>b</include><data><value>a</value></data>") +
                        Record("<uniqueID>b</uniqueID><include>a</include><include>b</include>"
                               "<data><value>b</value></data>")));
    m_Base.LoadInitData(Folder());
    testsupport::DebugCapture capture;
    EXPECT_EQ(Applied("Entity", "a"), "b a ");
    EXPECT_EQ(capture.Lines().size(), 2u);
    EXPECT_TRUE(capture.Contains("[kaInitDataBase::Apply] : \"b\" includes \"a\" again"));
}

TEST_F(InitDataBaseTest, OverlongIncludeChainsAreCut)
{
    std::string records;
    const size_t length = kaInitDataBase::kMaxIncludeDepth + 10;
    for (size_t i = 0; i < length; ++i)
        records +=
            Record("<uniqueID>r" + std::to_string(i) + "</uniqueID><include>r" + std::to_string(i + 1) +
                   "</include><data><value>" + std::to_string(i) + "</value></data>");
    Write("chain.xml", File(records));
    m_Base.LoadInitData(Folder());
    testsupport::DebugCapture capture;
    size_t applied = 0;
    m_Base.Apply("Entity", "r0", [&](TiXmlElement*) { ++applied; });
    EXPECT_EQ(applied, kaInitDataBase::kMaxIncludeDepth);
    EXPECT_TRUE(capture.Contains("nest too deep"));
}

TEST_F(InitDataBaseTest, IncludesDoublingAtEveryLevelStopAtTheRecordLimit)
{
    // Each record includes the next one twice: 2^40 records to apply if nothing stops it.
    std::string records;
    const size_t length = 40;
    for (size_t i = 0; i < length; ++i)
    {
        const std::string next = "<include>r" + std::to_string(i + 1) + "</include>";
        records += Record("<uniqueID>r" + std::to_string(i) + "</uniqueID>" + next + next + "<data><value>" +
                          std::to_string(i) + "</value></data>");
    }
    Write("doubling.xml", File(records));
    m_Base.LoadInitData(Folder());
    testsupport::DebugCapture capture;
    size_t applied = 0;
    EXPECT_TRUE(m_Base.Apply("Entity", "r0", [&](TiXmlElement*) { ++applied; }));
    EXPECT_EQ(applied, kaInitDataBase::kMaxAppliedRecords);
    EXPECT_EQ(capture.Lines().size(), 1u);
    EXPECT_TRUE(capture.Contains("[kaInitDataBase::Apply] : more than 4096 records to apply"));

    // The limit is per call: a small record applies in full afterwards.
    applied = 0;
    EXPECT_TRUE(m_Base.Apply("Entity", "r38", [&](TiXmlElement*) { ++applied; }));
    EXPECT_EQ(applied, 3u);
}

TEST_F(InitDataBaseTest, MalformedValueAbandonsOnlyThatRecord)
{
    Write("a.xml", File(Record("<uniqueID>car</uniqueID><include>bad</include><data><mass>2</mass></data>") +
                        Record("<uniqueID>bad</uniqueID><data><mass>heavy</mass></data>")));
    m_Base.LoadInitData(Folder());
    testsupport::DebugCapture capture;
    std::vector<int> masses;
    EXPECT_TRUE(m_Base.Apply(
        "Entity", "car", [&](TiXmlElement* data) { masses.push_back(GetChildElementInt("mass", data)); }));
    EXPECT_EQ(masses, std::vector<int>{2});
    EXPECT_TRUE(capture.Contains("[kaInitDataBase::Apply] : malformed value in \"bad\""));
}

} // namespace
