#include "engine/scene/kaEntityEditorModel.h"

#include "engine/core/kaApp.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaModel.h"
#include "engine/scene/kaPropertyRecord.h"

#include "tests/support/engine/scene/SceneModelFixture.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <list>
#include <string>
#include <vector>

using platform::Quaternion;
using platform::Vector3;

namespace
{

// A course holding one entity of a class this program does not register.
std::string Course(const std::string& placement)
{
    return "<World><Entities><Entity><name>Booster</name><type>tvPowerUpBoost</type><entityID>7</entityID>"
           "<kmfFilename>" +
           std::string("resources/models/crate/crate.kmf") + "</kmfFilename>" + placement +
           "</Entity></Entities></World>";
}

class EntityEditorModelTest : public SceneModelFixture
{
protected:
    void SetUp() override { StartWith(""); }

    void Load(const std::string& text)
    {
        TiXmlDocument document;
        document.Parse(text.c_str());
        ASSERT_NE(document.RootElement(), nullptr);
        m_World->ReadXml(document.RootElement(), false);
    }

    // The world's "Entities" block as saved.
    std::string SavedEntity()
    {
        TiXmlDocument document;
        TiXmlElement* root = AppendElement(&document, "World");
        m_World->WriteEntities(root);
        const TiXmlElement* entity = root->FirstChildElement("Entities")->FirstChildElement("Entity");
        if (!entity)
            return "";
        TiXmlPrinter printer;
        printer.SetStreamPrinting();
        entity->Accept(&printer);
        return printer.CStr();
    }

    kaEntityEditorModel* Placeholder()
    {
        return m_World->GetEntities().empty()
                   ? nullptr
                   : dynamic_cast<kaEntityEditorModel*>(m_World->GetEntities().front());
    }

    static void SetRow(kaPropertyList& rows, const std::string& label, const std::string& value)
    {
        for (auto& row : rows)
        {
            if (row->m_Label == label)
                row->m_Value = value;
        }
    }

    kaApp m_App{"EditorModelTest", "EditorModelTest"};
};

} // namespace

TEST_F(EntityEditorModelTest, UnknownClassesBecomePlaceholdersOnlyInTheEditor)
{
    for (const bool editor : {false, true})
    {
        SCOPED_TRACE(editor);
        m_World = std::make_unique<kaWorld>();
        m_App.SetEditor(editor);
        Load(Course("<position><x>3</x><y>1.5</y><z>-4</z></position>"));
        ASSERT_EQ(m_World->GetEntities().size(), editor ? 1u : 0u);
        if (!editor)
            continue;
        kaEntityEditorModel* placeholder = Placeholder();
        ASSERT_NE(placeholder, nullptr);
        EXPECT_EQ(placeholder->GetClassName(), "tvPowerUpBoost");
        EXPECT_EQ(placeholder->GetEntityID(), 7);
        ExpectNear(placeholder->GetPosition(), Vector3(3.0f, 1.5f, -4.0f));
    }
    m_App.SetEditor(false);
}

TEST_F(EntityEditorModelTest, SavesUnderItsRealClassWithPositionAndRotation)
{
    m_App.SetEditor(true);
    const struct
    {
        const char* placement;
        const char* saved;
    } cases[] = {
        {"<snapToTerrain>0</snapToTerrain><position><x>3</x><y>1.5</y><z>-4</z></position>"
         "<rotation><quaternion><x>0</x><y>0.6</y><z>0</z><w>0.8</w></quaternion></rotation>",
         "<Entity><name>Booster</name><type>tvPowerUpBoost</type><entityID>7</entityID><visible>1</visible>"
         "<selectable>1</selectable><kmfFilename>resources/models/crate/crate.kmf</kmfFilename>"
         "<snapToTerrain>0</snapToTerrain><position><x>3</x><z>-4</z><y>1.5</y></position><rotation>"
         "<quaternion><x>0</x><y>0.6</y><z>0</z><w>0.8</w></quaternion></rotation></Entity>"},
        // Snapped: the height comes from the ground when read again.
        {"<snapToTerrain>1</snapToTerrain><position><x>3</x><y>9</y><z>-4</z></position>",
         "<Entity><name>Booster</name><type>tvPowerUpBoost</type><entityID>7</entityID><visible>1</visible>"
         "<selectable>1</selectable><kmfFilename>resources/models/crate/crate.kmf</kmfFilename>"
         "<snapToTerrain>1</snapToTerrain><position><x>3</x><z>-4</z></position><rotation>"
         "<quaternion><x>0</x><y>0</y><z>0</z><w>1</w></quaternion></rotation></Entity>"},
    };
    for (const auto& c : cases)
    {
        m_World = std::make_unique<kaWorld>();
        Load(Course(c.placement));
        EXPECT_EQ(SavedEntity(), c.saved);
        // Read back in the editor, it is the same placeholder again.
        const std::string saved = SavedEntity();
        m_World = std::make_unique<kaWorld>();
        Load("<World><Entities>" + saved + "</Entities></World>");
        EXPECT_EQ(SavedEntity(), saved);
    }
    m_App.SetEditor(false);
}

TEST_F(EntityEditorModelTest, WithoutAClassItAnswersItsOwnNameAndWithoutAModelOnlyTheBaseKeys)
{
    auto* placeholder = Make<kaEntityEditorModel>("<name>Empty</name>");
    EXPECT_EQ(placeholder->GetClassName(), "EntityEditorModel");
    EXPECT_EQ(SavedEntity(), "<Entity><name>Empty</name><type>EntityEditorModel</type><entityID>0</entityID>"
                             "<visible>1</visible><selectable>1</selectable><kmfFilename></kmfFilename></Entity>");
}

TEST_F(EntityEditorModelTest, RowsEditTheClassTheFlagsAndReloadAChangedModelInPlace)
{
    auto* placeholder = Make<kaEntityEditorModel>(File(kCrate) + "<name>Booster</name>");
    placeholder->SetClassName("tvPowerUpBoost");
    const Quaternion turn(0.0f, 0.6f, 0.0f, 0.8f);
    placeholder->SetPositionRotation(Vector3(2.0f, 3.0f, 4.0f), turn);

    kaPropertyList rows = placeholder->GetPropertyList();
    std::vector<std::string> labels;
    for (const auto& row : rows)
        labels.push_back(row->m_Label);
    EXPECT_EQ(labels, (std::vector<std::string>{"Class Name:", "Model(KMF or XML):", "Name:", "Collidable:",
                                                "Visible:", "Selectable:"}));
    EXPECT_EQ(rows[0]->m_Value, "tvPowerUpBoost");
    EXPECT_EQ(rows[1]->m_Value, kCrate);
    EXPECT_TRUE(rows[1]->m_Browse);
    EXPECT_EQ(rows[1]->m_Folder, "Resources/Models/");

    // The same file: the instance stays.
    kaModel* first = placeholder->GetModel();
    EXPECT_FALSE(placeholder->SetPropertyList(rows));
    EXPECT_EQ(placeholder->GetModel(), first);

    const size_t instances = m_Models.GetModels().size();
    SetRow(rows, "Class Name:", "tvPowerUpJump");
    SetRow(rows, "Model(KMF or XML):", kRider);
    SetRow(rows, "Collidable:", "0");
    EXPECT_TRUE(placeholder->SetPropertyList(rows));
    EXPECT_EQ(placeholder->GetClassName(), "tvPowerUpJump");
    EXPECT_FALSE(placeholder->IsCollidable());
    EXPECT_EQ(placeholder->GetModelFile(), kRider);
    ASSERT_NE(placeholder->GetModel(), nullptr);
    EXPECT_TRUE(placeholder->HasBone("Hips"));
    // The old instance went back to the manager, which holds the new one in its place.
    const auto& models = m_Models.GetModels();
    EXPECT_EQ(models.size(), instances);
    EXPECT_NE(std::find(models.begin(), models.end(), placeholder->GetModel()), models.end());
    ExpectNear(placeholder->GetPosition(), Vector3(2.0f, 3.0f, 4.0f));
    EXPECT_NEAR(placeholder->GetRotation().y, 0.6f, 1e-5f);
    EXPECT_NEAR(placeholder->GetRotation().w, 0.8f, 1e-5f);
}

TEST_F(EntityEditorModelTest, LoadingLeavesOtherCallersSearchFoldersInPlace)
{
    const std::string maps = "resources/models/motorcycle/Maps";
    m_Files.AddSearchPath("first");
    m_Files.AddSearchPath(maps);
    const std::list<std::string> before = m_Files.GetSearchPaths();
    kaEntityEditorModel placeholder("tvProp");
    placeholder.LoadModel(kRider);
    EXPECT_NE(placeholder.GetModel(), nullptr);
    EXPECT_EQ(m_Files.GetSearchPaths(), before);

    // A file that does not load leaves the folders as they were too.
    placeholder.LoadModel("resources/models/none.kmf");
    EXPECT_EQ(placeholder.GetModelFile(), "resources/models/none.kmf");
    EXPECT_EQ(m_Files.GetSearchPaths(), before);
}
