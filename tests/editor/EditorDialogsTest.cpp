#include "editor/AddFlareLayerWindow.h"
#include "editor/AddSkyboxWindow.h"
#include "editor/AddTerrainLayerWindow.h"
#include "editor/CreateTerrainWindow.h"
#include "editor/EnvironmentCommands.h"
#include "editor/LayerListWindow.h"
#include "engine/core/kaColor.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiTextBox.h"
#include "engine/terrain/kaFlareLayer.h"
#include "engine/terrain/kaSun.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainLayer.h"
#include "tests/support/editor/EditorDialogHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

constexpr const char* kHeightMap129 = "resources\\worlds\\heightmap\\map129.tga";
constexpr const char* kFullMask129 = "resources\\worlds\\groundmasks\\full129.tga";
constexpr const char* kHalfMask = "resources\\worlds\\groundmasks\\half129.tga";

class EditorDialogsTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_Editor.Start()); }

    template <typename T> T* Dialog(const char* name)
    {
        guiWindow* window = m_Editor.Gui().FindWindow(name);
        return window != nullptr ? window->DynamicCast<T>() : nullptr;
    }
    template <typename T> T* Widget(const char* window, const char* name)
    {
        guiGlyph* glyph = m_Editor.Game().FindWidget(window, name);
        return glyph != nullptr ? glyph->DynamicCast<T>() : nullptr;
    }
    kaTerrain* Terrain() { return dynamic_cast<kaTerrain*>(m_Editor.World().GetTerrain()); }
    kaSun* Sun() { return dynamic_cast<kaSun*>(m_Editor.World().GetSun()); }
    bool Enabled(guiButton* button) { return button->GetState() != guiButton::kDisabled; }

    // The files a chooser should offer from an install folder, by pattern and then by name.
    std::vector<std::string> Expected(const std::string& folder)
    {
        std::string path = folder;
        for (char& c : path)
            c = c == '\\' ? '/' : c;
        std::vector<std::string> rows;
        for (const char* extension : {".bmp", ".tga", ".dds"})
        {
            std::vector<std::string> names;
            for (const auto& entry :
                 std::filesystem::directory_iterator(m_Editor.Game().Install().File(path)))
                if (entry.path().extension() == extension)
                    names.push_back(entry.path().filename().string());
            std::sort(names.begin(), names.end());
            for (const std::string& name : names)
                rows.push_back(folder + name);
        }
        return rows;
    }

    std::vector<std::string> Rows(guiListBox* list)
    {
        std::vector<std::string> rows;
        for (int32_t row = 0; row < list->GetUsedRows(); ++row)
        {
            list->SelectRow(row, false);
            rows.push_back(list->GetSelectedText());
        }
        return rows;
    }

    EditorDialogHarness m_Editor;
};

} // namespace

TEST_F(EditorDialogsTest, EachBrowseButtonListsItsModesFolderAndPicksIntoItsOwnField)
{
    const struct
    {
        const char* window;
        const char* browse;
        const char* folder;
        const char* field;
    } cases[] = {
        {CreateTerrainWindow::kWindowName, CreateTerrainWindow::kBrowseHeightMap,
         CreateTerrainWindow::kHeightMapFolder, CreateTerrainWindow::kHeightMap},
        {CreateTerrainWindow::kWindowName, CreateTerrainWindow::kBrowseMask, CreateTerrainWindow::kMaskFolder,
         CreateTerrainWindow::kMaskPath},
        {CreateTerrainWindow::kWindowName, CreateTerrainWindow::kBrowseTexture,
         CreateTerrainWindow::kTextureFolder, CreateTerrainWindow::kTexturePath},
        {AddTerrainLayerWindow::kWindowName, AddTerrainLayerWindow::kBrowseMask,
         AddTerrainLayerWindow::kMaskFolder, AddTerrainLayerWindow::kMaskPath},
        {AddTerrainLayerWindow::kWindowName, AddTerrainLayerWindow::kBrowseTexture,
         AddTerrainLayerWindow::kTextureFolder, AddTerrainLayerWindow::kTexturePath},
        {AddFlareLayerWindow::kWindowName, AddFlareLayerWindow::kBrowse, AddFlareLayerWindow::kFolder,
         AddFlareLayerWindow::kTexture},
    };
    // The terrain-layer dialog is made on first use.
    m_Editor.Commands().AddTerrainLayer();
    for (const auto& test : cases)
    {
        SCOPED_TRACE(std::string(test.window) + " " + test.browse);
        guiWindow* window = m_Editor.Gui().FindWindow(test.window);
        ASSERT_NE(window, nullptr);
        m_Editor.Gui().ShowWindow(window, false);
        auto* list = Widget<guiListBox>(test.window, "list");
        auto* preview = Widget<guiImage>(test.window, "preview");
        auto* listGroup = Widget<guiGroup>(test.window, "list group");
        ASSERT_TRUE(list && preview && listGroup);
        EXPECT_EQ(list->GetMaxChars(), 200);
        EXPECT_FALSE(listGroup->IsVisible());

        std::vector<std::string> rows;
        std::string previewed;
        int32_t filter = -1;
        bool open = false;
        m_Editor.Click(test.window, test.browse);
        m_Editor.ClickRow(test.window, "list", 1);
        m_Editor.Step(
            [&]
            {
                open = listGroup->IsVisible() &&
                       Widget<guiGroup>(test.window, "preview group")->IsVisible() &&
                       Widget<guiGroup>(test.window, "list button group")->IsVisible();
                previewed = preview->GetFilename();
                filter = preview->GetFiltering();
            });
        ASSERT_TRUE(m_Editor.Game().RunScript());
        rows = Rows(list);
        const std::vector<std::string> expected = Expected(test.folder);
        ASSERT_GE(expected.size(), 2u);
        EXPECT_EQ(rows, expected);
        EXPECT_TRUE(open);
        EXPECT_EQ(previewed, expected[1]);
        EXPECT_NE(preview->GetTexture(), nullptr);
        EXPECT_EQ(filter, 0);

        // A double click picks the row into the mode's field and closes the chooser.
        list->SelectRow(0, false);
        m_Editor.DoubleClickRow(test.window, "list", 1);
        ASSERT_TRUE(m_Editor.Game().RunScript());
        EXPECT_EQ(Widget<guiTextBox>(test.window, test.field)->GetText(), expected[1]);
        EXPECT_FALSE(listGroup->IsVisible());

        // The chooser's cancel closes it and keeps the list; a new show closes it too.
        m_Editor.Click(test.window, test.browse);
        m_Editor.Click(test.window, "list cancel button");
        ASSERT_TRUE(m_Editor.Game().RunScript());
        EXPECT_FALSE(listGroup->IsVisible());
        EXPECT_EQ(list->GetUsedRows(), int32_t(expected.size()));
        m_Editor.Click(test.window, test.browse);
        ASSERT_TRUE(m_Editor.Game().RunScript());
        m_Editor.Gui().HideWindow(window, 2);
        m_Editor.Gui().ShowWindow(window, false);
        EXPECT_FALSE(listGroup->IsVisible());
        m_Editor.Gui().HideWindow(window, 2);
    }
}

TEST_F(EditorDialogsTest, ImportModeCentresTheHeightMapFieldsAndHidesTheLayerFields)
{
    auto* dialog = Dialog<CreateTerrainWindow>(CreateTerrainWindow::kWindowName);
    ASSERT_NE(dialog, nullptr);
    auto* labels = Widget<guiGroup>(CreateTerrainWindow::kWindowName, CreateTerrainWindow::kLabelGroup);
    auto* boxes = Widget<guiGroup>(CreateTerrainWindow::kWindowName, CreateTerrainWindow::kTextBoxGroup);
    auto* layer = Widget<guiGroup>(CreateTerrainWindow::kWindowName, CreateTerrainWindow::kLayerGroup);
    ASSERT_TRUE(labels && boxes && layer);
    for (const bool import : {true, false, true, false})
    {
        SCOPED_TRACE(import);
        dialog->SetImportMode(import);
        EXPECT_EQ(dialog->IsImportMode(), import);
        const float y = import ? 0.5f : 37.0f;
        for (const auto& [group, x] : {std::pair{labels, 10.0f}, std::pair{boxes, 90.0f}})
        {
            EXPECT_EQ(group->GetAlignment(), import ? 17 : 9);
            const guiCoordPair& at = group->GetRequestedPosition();
            EXPECT_FLOAT_EQ(at.x.value, x);
            EXPECT_FALSE(at.x.IsRelative());
            EXPECT_FLOAT_EQ(at.y.value, y);
            EXPECT_EQ(at.y.IsRelative(), import);
        }
        EXPECT_EQ(layer->IsVisible(), !import);
        // Setting the mode does not show the dialog.
        EXPECT_FALSE(dialog->IsVisible());
    }
    // Centred in import mode: the columns' middles meet the dialog's.
    dialog->SetImportMode(true);
    labels->SetDirty(true);
    const float middle = dialog->GetSize().y.value / 2;
    const float top = labels->GetPosition().y.value;
    EXPECT_NEAR(top + labels->GetSize().y.value / 2, middle, 1.0f);
}

TEST_F(EditorDialogsTest, RelativeSizesGoIntoTheBoxesAndTheDialogKeepsItsSize)
{
    auto* create = Dialog<CreateTerrainWindow>(CreateTerrainWindow::kWindowName);
    auto* sky = Dialog<AddSkyboxWindow>(AddSkyboxWindow::kWindowName);
    ASSERT_TRUE(create && sky);
    const guiCoordPair createSize = create->GetSize();
    const guiCoordPair skySize = sky->GetSize();
    create->SetRelativeWidth(256.0f);
    create->SetRelativeHeight(0.25f);
    sky->SetRelativeHeight(120.5f);
    EXPECT_EQ(create->GetField(CreateTerrainWindow::kWidth), "256");
    EXPECT_EQ(create->GetField(CreateTerrainWindow::kHeight), "0.25");
    EXPECT_EQ(sky->GetField(AddSkyboxWindow::kHeight), "120.5");
    EXPECT_EQ(create->GetSize(), createSize);
    EXPECT_EQ(sky->GetSize(), skySize);
}

TEST_F(EditorDialogsTest, RemovalsNeedTheirObjectAndImportWithoutTerrainOnlyMarksUnsaved)
{
    // No terrain, no sun: nothing is shown, so no frame runs the queued click.
    m_Editor.Click(LayerListWindow::kWindowName, "cancel");
    m_Editor.Commands().RemoveFlareLayer();
    m_Editor.Commands().RemoveTerrainLayer();
    EXPECT_EQ(m_Editor.Game().PendingSteps(), 3u);
    EXPECT_EQ(m_Editor.Gui().FindWindow(LayerListWindow::kWindowName), nullptr);
    ASSERT_TRUE(m_Editor.Game().RunScript());

    m_Editor.Click(CreateTerrainWindow::kWindowName, "ok");
    m_Editor.Commands().ImportHeightMap();
    EXPECT_EQ(m_Editor.World().GetTerrain(), nullptr);
    EXPECT_EQ(m_Editor.savedCalls, std::vector<bool>{false});
    EXPECT_EQ(
        Dialog<CreateTerrainWindow>(CreateTerrainWindow::kWindowName)->GetField(CreateTerrainWindow::kTitle),
        EnvironmentCommands::kImportCaption);

    // The flare's removal makes the list window as the terrain's would.
    m_Editor.World().CreateSun("resources\\worlds\\billboards\\sun.dds", 0.3f, 0.5f, 0.5f, kaColor(),
                               kaColor());
    m_Editor.World().AddSunFlareLayer("a.dds", 2, 1);
    m_Editor.World().AddSunFlareLayer("b.dds", -1, 1);
    m_Editor.ClickRow(LayerListWindow::kWindowName, LayerListWindow::kLayerList, 1);
    m_Editor.Click(LayerListWindow::kWindowName, LayerListWindow::kRemove);
    m_Editor.Commands().RemoveFlareLayer();
    auto* list = Dialog<LayerListWindow>(LayerListWindow::kWindowName);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetList()->GetMaxChars(), 200);
    ASSERT_EQ(Sun()->GetFlareLayers().size(), 1u);
    EXPECT_EQ(Sun()->GetFlareLayers()[0]->m_Texture, "a.dds");
    EXPECT_EQ(m_Editor.savedCalls, (std::vector<bool>{false, false}));
}

TEST_F(EditorDialogsTest, TheLayerListEnablesRemoveBySelectionAndRemovesOnlyTheRowChosen)
{
    m_Editor.World().NewTerrain(kHeightMap129, 128, 32, 128, false);
    ASSERT_NE(Terrain(), nullptr);
    // No layers: "remove" is off and cancel leaves the terrain.
    bool removeEnabled = true;
    m_Editor.Step([] {});
    m_Editor.Step(
        [&] {
            removeEnabled = Enabled(Dialog<LayerListWindow>(LayerListWindow::kWindowName)->GetRemoveButton());
        });
    m_Editor.Click(LayerListWindow::kWindowName, "cancel");
    m_Editor.Commands().RemoveTerrainLayer();
    EXPECT_FALSE(removeEnabled);
    EXPECT_TRUE(m_Editor.savedCalls.empty());

    m_Editor.World().AddTerrainLayer("resources\\worlds\\groundtiles\\grass.bmp", kFullMask129, 1);
    m_Editor.World().AddTerrainLayer("resources\\worlds\\groundtiles\\sand.bmp", kHalfMask, 1);
    ASSERT_EQ(Terrain()->GetLayerCount(), 2);
    auto* dialog = Dialog<LayerListWindow>(LayerListWindow::kWindowName);
    guiListBox* list = dialog->GetList();
    guiButton* remove = dialog->GetRemoveButton();

    // A selection turns it on, clearing turns it off; confirmed with no row, nothing goes.
    std::vector<bool> states;
    std::vector<std::string> rows;
    m_Editor.Step([] {});
    m_Editor.Step(
        [&]
        {
            rows = Rows(list);
            list->ClearSelection(false);
        });
    m_Editor.ClickRow(LayerListWindow::kWindowName, LayerListWindow::kLayerList, 0);
    m_Editor.Step([&] { states.push_back(Enabled(remove)); });
    m_Editor.ClickRow(LayerListWindow::kWindowName, LayerListWindow::kLayerList, 5);
    m_Editor.Step([&] { states.push_back(Enabled(remove)); });
    m_Editor.Step([&] { remove->SetEnabled(true); });
    m_Editor.Click(LayerListWindow::kWindowName, LayerListWindow::kRemove);
    m_Editor.Commands().RemoveTerrainLayer();
    EXPECT_EQ(rows, (std::vector<std::string>{"resources\\worlds\\groundtiles\\grass.bmp",
                                              "resources\\worlds\\groundtiles\\sand.bmp"}));
    EXPECT_EQ(states, (std::vector<bool>{true, false}));
    EXPECT_EQ(Terrain()->GetLayerCount(), 2);
    EXPECT_TRUE(m_Editor.savedCalls.empty());

    // A double click confirms with its row.
    m_Editor.DoubleClickRow(LayerListWindow::kWindowName, LayerListWindow::kLayerList, 0);
    m_Editor.Commands().RemoveTerrainLayer();
    // Closed by the second press: its release is still to come.
    EXPECT_EQ(m_Editor.Game().PendingSteps(), 1u);
    ASSERT_TRUE(m_Editor.Game().RunScript());
    ASSERT_EQ(Terrain()->GetLayerCount(), 1);
    EXPECT_EQ(Terrain()->GetLayer(0)->GetMaskPath(), kHalfMask);
    EXPECT_EQ(dialog->GetField(LayerListWindow::kTitle), EnvironmentCommands::kRemoveTerrainLayerCaption);
    EXPECT_EQ(m_Editor.savedCalls, std::vector<bool>{false});
}

TEST_F(EditorDialogsTest, WithoutAWorldNoCommandShowsAnything)
{
    m_Editor.Commands().SetWorld(nullptr);
    using Command = void (EnvironmentCommands::*)();
    for (const Command command :
         {&EnvironmentCommands::CreateNewTerrain, &EnvironmentCommands::ImportHeightMap,
          &EnvironmentCommands::AddTerrainLayer, &EnvironmentCommands::RemoveTerrainLayer,
          &EnvironmentCommands::AddSkybox, &EnvironmentCommands::AddSun, &EnvironmentCommands::AddFlareLayer,
          &EnvironmentCommands::RemoveFlareLayer})
    {
        m_Editor.Step([] {});
        (m_Editor.Commands().*command)();
        EXPECT_EQ(m_Editor.Game().PendingSteps(), 1u);
        ASSERT_TRUE(m_Editor.Game().RunScript(0));
    }
    EXPECT_TRUE(m_Editor.savedCalls.empty());
}

TEST_F(EditorDialogsTest, AnEmptyFolderGivesAnEmptyListAndNoPreview)
{
    guiWindow* window = m_Editor.Gui().FindWindow(AddFlareLayerWindow::kWindowName);
    ASSERT_NE(window, nullptr);
    m_Editor.Gui().ShowWindow(window, false);
    auto* list = Widget<guiListBox>(AddFlareLayerWindow::kWindowName, "list");
    auto* preview = Widget<guiImage>(AddFlareLayerWindow::kWindowName, "preview");
    ASSERT_TRUE(list && preview);
    m_Editor.Click(AddFlareLayerWindow::kWindowName, AddFlareLayerWindow::kBrowse);
    m_Editor.Click(AddFlareLayerWindow::kWindowName, "list cancel button");
    ASSERT_TRUE(m_Editor.Game().RunScript());
    ASSERT_GT(list->GetUsedRows(), 0);
    ASSERT_NE(preview->GetTexture(), nullptr);

    // The pictures go; the chooser opened again shows none, and no stale preview.
    const std::string folder = m_Editor.Game().Install().File("resources/worlds/billboards");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    m_Editor.Click(AddFlareLayerWindow::kWindowName, AddFlareLayerWindow::kBrowse);
    m_Editor.Click(AddFlareLayerWindow::kWindowName, "list select button");
    ASSERT_TRUE(m_Editor.Game().RunScript());
    EXPECT_EQ(list->GetUsedRows(), 0);
    EXPECT_EQ(preview->GetTexture(), nullptr);
    // Select with nothing to select keeps the field and the chooser open.
    EXPECT_EQ(Dialog<AddFlareLayerWindow>(AddFlareLayerWindow::kWindowName)
                  ->GetField(AddFlareLayerWindow::kTexture),
              "resources\\worlds\\billboards\\flare_glow.dds");
    EXPECT_TRUE(Widget<guiGroup>(AddFlareLayerWindow::kWindowName, "list group")->IsVisible());
}
