#include "engine/scene/kaEntity.h"

#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/scene/kaPropertyRecord.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <memory>
#include <string>

namespace
{

// The base block as one line: "initUniqueID|name|entityID|visible|selectable".
std::string Fields(const kaEntity& entity)
{
    return entity.GetInitUniqueID() + "|" + entity.GetName() + "|" + std::to_string(entity.GetEntityID()) +
           "|" + (entity.IsVisible() ? "1" : "0") + "|" + (entity.IsSelectable() ? "1" : "0");
}

// The children of an element as "key=text key=text ...".
std::string Children(const TiXmlElement& element)
{
    std::string text;
    for (const TiXmlElement* child = element.FirstChildElement(); child; child = child->NextSiblingElement())
        text += std::string(text.empty() ? "" : " ") + child->Value() + "=" +
                (child->GetText() ? child->GetText() : "");
    return text;
}

void Read(kaEntity& entity, const std::string& xml)
{
    TiXmlDocument document;
    document.Parse(xml.c_str());
    ASSERT_NE(document.RootElement(), nullptr) << xml;
    entity.ReadXml(document.RootElement());
}

// An entity whose every base field differs from the defaults.
void Configure(kaEntity& entity)
{
    Read(entity, "<e><initUniqueID>crate</initUniqueID><name>Crate</name><entityID>7</entityID>"
                 "<visible>0</visible><selectable>0</selectable></e>");
}

TEST(EntityXmlTest, WritesTheBaseBlockInItsOrder)
{
    kaEntity fresh;
    kaEntity configured;
    Configure(configured);
    const struct
    {
        const kaEntity* entity;
        std::string children;
    } cases[] = {
        {&fresh, "name= type=Entity entityID=-1 visible=1 selectable=1"},
        {&configured, "initUniqueID=crate name=Crate type=Entity entityID=7 visible=0 selectable=0"},
    };
    for (const auto& c : cases)
    {
        TiXmlElement element("Entity");
        c.entity->WriteXml(&element);
        EXPECT_EQ(Children(element), c.children);
    }

    TiXmlElement state("State");
    configured.WriteState(&state);
    EXPECT_EQ(Children(state), "entityID=7");
}

TEST(EntityXmlTest, AbsentKeysKeepTheirFieldsExceptSelectable)
{
    const struct
    {
        std::string xml;
        std::string fields;
    } cases[] = {
        {"<e/>", "crate|Crate|7|0|1"},
        {"<e><name>Ramp</name><visible>1</visible></e>", "crate|Ramp|7|1|1"},
        {"<e><initUniqueID>ramp</initUniqueID><entityID>-1</entityID><selectable>0</selectable></e>",
         "ramp|Crate|-1|0|0"},
        // "type" belongs to the world's reader.
        {"<e><type>Other</type><name></name></e>", "crate||7|0|1"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.xml);
        kaEntity entity;
        Configure(entity);
        Read(entity, c.xml);
        EXPECT_EQ(Fields(entity), c.fields);
    }
}

class EntityInitDataTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Dir.Write("InitData/entities.xml",
                    "<?xml version=\"1.0\"?><root>"
                    // A includes B: B's data applies first.
                    "<initData><uniqueID>A</uniqueID><include>B</include>"
                    "<data><classType>Entity</classType><name>fromA</name><initUniqueID>Z</initUniqueID>"
                    "</data></initData>"
                    "<initData><uniqueID>B</uniqueID>"
                    "<data><name>fromB</name><visible>0</visible><entityID>3</entityID></data></initData>"
                    // No class of its own: the last include that names one decides.
                    "<initData><uniqueID>Derived</uniqueID><include>Typed</include><include>Plain</include>"
                    "<include>Missing</include><data><name>derived</name></data></initData>"
                    "<initData><uniqueID>Typed</uniqueID><include>Other</include>"
                    "<data><classType>Entity</classType></data></initData>"
                    "<initData><uniqueID>Other</uniqueID><data><classType>kaFoo</classType></data></initData>"
                    "<initData><uniqueID>Plain</uniqueID><data><name>plain</name></data></initData>"
                    "<initData><uniqueID>Unknown</uniqueID><include>Typed</include>"
                    "<data><classType>NoSuchClass</classType></data></initData>"
                    // Include cycles, direct and through another record.
                    "<initData><uniqueID>Self</uniqueID><include>Self</include>"
                    "<data><name>self</name></data></initData>"
                    "<initData><uniqueID>Ping</uniqueID><include>Pong</include>"
                    "<data><classType>Entity</classType><name>ping</name></data></initData>"
                    "<initData><uniqueID>Pong</uniqueID><include>Ping</include>"
                    "<data><name>pong</name><selectable>0</selectable></data></initData>"
                    "</root>");
        m_Base.LoadInitData(m_Dir.File("InitData"));
    }

    testsupport::TempDir m_Dir;
    kaInitDataBase m_Base;
};

TEST_F(EntityInitDataTest, AppliesIncludesFirstAndKeepsTheGivenId)
{
    const struct
    {
        std::string id;
        std::string fields;
    } cases[] = {
        {"A", "A|fromA|3|0|1"},
        {"Self", "Self|self|-1|1|1"},
        // Pong includes Ping, which includes Pong again: each applies once.
        {"Pong", "Pong|pong|-1|1|0"},
        {"Missing", "Missing||-1|1|1"},
    };
    for (const auto& c : cases)
    {
        kaEntity entity;
        entity.ApplyInitData(c.id);
        EXPECT_EQ(Fields(entity), c.fields) << c.id;
    }
}

TEST_F(EntityInitDataTest, ClassTypeIsTheOneTheDataWouldLeave)
{
    const struct
    {
        std::string id;
        std::string classType;
    } cases[] = {
        {"A", "Entity"}, {"Other", "kaFoo"}, {"Typed", "Entity"}, {"Derived", "Entity"},
        {"Plain", ""},   {"Missing", ""},    {"Self", ""},        {"Pong", "Entity"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kaEntity::GetClassType(c.id), c.classType) << c.id;
}

TEST_F(EntityInitDataTest, CreatesFilledEntitiesOfTheRecordsClass)
{
    const struct
    {
        std::string id;
        std::string fields; // empty: nothing created
    } cases[] = {
        {"A", "A|fromA|3|0|1"}, {"Derived", "Derived|derived|-1|1|1"}, {"Unknown", ""}, {"Plain", ""},
        {"Missing", ""},
    };
    for (const auto& c : cases)
    {
        const std::unique_ptr<kaEntity> entity(kaEntity::CreateFromInitData(c.id));
        EXPECT_EQ(entity ? Fields(*entity) : "", c.fields) << c.id;
    }
}

// The rows as "label=value label=value ...".
std::string Rows(const kaPropertyList& list)
{
    std::string text;
    for (const kaCountedPtr<kaPropertyRecord>& row : list)
        text += std::string(text.empty() ? "" : " ") + row->m_Label + "=" + row->m_Value;
    return text;
}

kaPropertyList OneRow(const std::string& label, const std::string& value)
{
    kaPropertyList list;
    kaPropertyRecord::Append(list, label, value);
    return list;
}

TEST(EntityRowsTest, BuildsTheFourBaseRowsAfreshEachTime)
{
    kaEntity entity;
    entity.SetName("Ramp");
    entity.SetCollidable(false);
    const kaPropertyList first = entity.GetPropertyList();
    EXPECT_EQ(Rows(first), "Name:=Ramp Collidable:=0 Visible:=1 Selectable:=1");

    // Edits to rows handed out are lost unless applied.
    first[0]->m_Value = "Edited";
    EXPECT_EQ(Rows(entity.GetPropertyList()), "Name:=Ramp Collidable:=0 Visible:=1 Selectable:=1");
}

TEST(EntityRowsTest, AppliesTheRowsItKnowsAndReportsChanges)
{
    const struct
    {
        std::string label;
        std::string value;
        bool changed;
        std::string fields;
    } cases[] = {
        {"Name:", "Ramp", false, "|Ramp|-1|1|1"},   {"Name:", "Jump", true, "|Jump|-1|1|1"},
        {"Name", "Jump", false, "|Ramp|-1|1|1"},    {"name:", "Jump", false, "|Ramp|-1|1|1"},
        {"Visible:", "0", true, "|Ramp|-1|0|1"},    {"Visible:", "1", false, "|Ramp|-1|1|1"},
        {"Selectable:", "0", true, "|Ramp|-1|1|0"}, {"Mass:", "12", false, "|Ramp|-1|1|1"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.label + " " + c.value);
        kaEntity entity;
        entity.SetName("Ramp");
        EXPECT_EQ(entity.SetPropertyList(OneRow(c.label, c.value)), c.changed);
        EXPECT_EQ(Fields(entity), c.fields);
    }

    kaEntity entity;
    kaPropertyList rows = OneRow("Collidable:", "0");
    kaPropertyRecord::Append(rows, "Name:", "Kept");
    EXPECT_TRUE(entity.SetPropertyList(rows));
    EXPECT_FALSE(entity.IsCollidable());
    EXPECT_EQ(Rows(entity.GetPropertyList()), "Name:=Kept Collidable:=0 Visible:=1 Selectable:=1");
}

TEST(EntityRowsTest, ABooleanRowThatIsNotOneOrZeroThrows)
{
    for (const char* value : {"yes", " 0", "", "2"})
    {
        kaEntity entity;
        EXPECT_THROW(entity.SetPropertyList(OneRow("Visible:", value)), ka::bad_lexical_cast) << value;
    }
}

} // namespace
