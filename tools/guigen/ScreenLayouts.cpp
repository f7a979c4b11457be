#include "tools/guigen/ScreenLayouts.h"

#include "tools/guigen/FileDialogPictures.h"
#include "tools/guigen/FormWidgets.h"
#include "tools/guigen/GuiContent.h"
#include "tools/guigen/LockPictures.h"
#include "tools/guigen/PalettePictures.h"
#include "tools/guigen/RacePictures.h"
#include "tools/guigen/ScrollImages.h"

#include "editor/WindowNames.h"
#include "engine/gui/guiBackground.h"
#include "engine/gui/guiBorder.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiCaption.h"
#include "engine/gui/guiCheckBox.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiGridParams.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiRenderContext.h"
#include "engine/gui/guiScroller.h"
#include "engine/gui/guiScrollerParams.h"
#include "engine/gui/guiSlider.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiTextBoxParams.h"
#include "engine/gui/guiTextParams.h"
#include "engine/gui/guiWindow.h"
#include "engine/render/kaTGAImage.h"

#include "platform/files/Files.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <set>
#include <sstream>

namespace guigen
{

namespace
{

constexpr float kButtonHeight = float(kButtonPictureHeight);
// Captions are measured before any font is loaded: the bold 16 font's mean advance.
constexpr float kCaptionAdvance = 10.0f;
constexpr float kCaptionHeight = 18.0f;
constexpr const char* kCaptionFont = "bar16b";

guiCoordPair Px(float x, float y)
{
    return guiCoordPair::Pixels(x, y);
}

bool Anchors(const ScreenWidget& row)
{
    return row.anchorX != 0.0f || row.anchorY != 0.0f;
}

guiCoord Axis(float value, bool relative)
{
    return relative ? guiCoord::Relative(value) : guiCoord::Pixels(value);
}

guiCoordPair Place(const ScreenWidget& row)
{
    return {Axis(row.x, (row.relative & kRelativeX) != 0), Axis(row.y, (row.relative & kRelativeY) != 0)};
}

guiCoordPair Extent(const ScreenWidget& row)
{
    return {Axis(row.width, (row.relative & kRelativeWidth) != 0),
            Axis(row.height, (row.relative & kRelativeHeight) != 0)};
}

kaColor Rgba(float r, float g, float b, float a = 1.0f)
{
    return kaColor::kaColorClamped(r, g, b, a);
}

const char* const kCredits = "Tarvolin v1.0\n"
                             "A stunt-driving game with a course editor.\n"
                             "\n"
                             "Physics: Open Dynamics Engine (ODE), BSD licence.\n"
                             "Fonts rendered with FreeType, FreeType Licence.\n"
                             "XML: TinyXML, zlib licence.\n"
                             "Windows, input and sound devices: SDL2, zlib licence.\n"
                             "Drawing: OpenGL through Mesa, MIT licence.\n"
                             "Callbacks: Boost, Boost Software Licence 1.0.\n"
                             "Music streams: libsndfile, LGPL 2.1.\n"
                             "Compressed pictures: zlib, zlib licence.\n"
                             "\n"
                             "Interface fonts made from DejaVu Sans and DejaVu Sans Bold.\n"
                             "DejaVu fonts: Bitstream Vera licence with DejaVu changes,\n"
                             "free to use, copy and change.\n"
                             "\n"
                             "Licence texts are in the licences folder of the install.";

// Two dialog buttons side by side at this height of a 300-wide dialog.
ScreenWidget Button(const char* name, const char* caption, float x, float y, float width)
{
    return {name, &guiButton::StaticClassInfo, caption, x, y, width, kButtonHeight};
}

// A button that stands in one grid row without reaching into the next.
ScreenWidget RowButton(const char* name, const char* caption, float width)
{
    return {name, &guiButton::StaticClassInfo, caption, 0, 0, width, kGridRowHeight};
}

// Editor dialogs: a caption beside each field, paths long enough to type whole.
constexpr float kFieldHeight = 24.0f;
constexpr int32_t kPathChars = 200;
constexpr const char* kEditorLabelFont = "bar12m";
constexpr const char* kEditorListFont = "bar12m";

ScreenWidget Field(const char* name, const char* text, float x, float y, float width,
                   const char* parent = nullptr)
{
    ScreenWidget row{name, &guiTextBox::StaticClassInfo, text, x, y, width, kFieldHeight, true};
    row.parent = parent;
    row.maxChars = kPathChars;
    row.font = "bar16m";
    return row;
}

ScreenWidget GroupRow(const char* name, float x, float y, float width, float height,
                      const char* parent = nullptr)
{
    ScreenWidget row{name, &guiGroup::StaticClassInfo, "", x, y, width, height};
    row.parent = parent;
    return row;
}

ScreenWidget Within(ScreenWidget row, const char* parent)
{
    row.parent = parent;
    return row;
}

// A menu: a list that drops over the editor's other widgets, so it is filled.
ScreenWidget Menu(const char* name, float width, float height)
{
    ScreenWidget row{name, &guiListBox::StaticClassInfo, "", 0, 0, width, height};
    row.filled = true;
    return row;
}

// A widget inside a group of the layout.
ScreenWidget Inside(const char* parent, ScreenWidget row)
{
    row.parent = parent;
    return row;
}

ScreenWidget Anchored(ScreenWidget row, float anchorX, float anchorY)
{
    row.anchorX = anchorX;
    row.anchorY = anchorY;
    return row;
}

// The page keeps its 640 by 480 arrangement in the middle of a larger screen: what the window holds
// directly counts from the screen's middle; grouped widgets move with their group.
void CentrePage(ScreenLayout& layout)
{
    const float left = kPageWidth / 2, top = kPageHeight / 2;
    for (ScreenWidget& row : layout.widgets)
        if (row.parent == nullptr)
        {
            row = Anchored(row, 0.5f, 0.5f);
            row.x -= left;
            row.y -= top;
        }
    for (ScreenLabel& label : layout.labels)
        if (label.parent == nullptr)
        {
            label.anchorX = label.anchorY = 0.5f;
            label.x -= left;
            label.y -= top;
        }
    if (!layout.page.empty())
    {
        layout.pageAnchorX = layout.pageAnchorY = 0.5f;
        layout.pageX -= left;
        layout.pageY -= top;
    }
}

// A dialog in the middle of the screen; its place on a 640 by 480 screen follows from its size.
ScreenLayout Dialog(const char* file, const char* window, float width, float height)
{
    ScreenLayout layout{file,
                        &guiWindow::StaticClassInfo,
                        window,
                        float(int(kPageWidth - width) / 2),
                        float(int(kPageHeight - height) / 2),
                        width,
                        height,
                        {},
                        {}};
    layout.centred = true;
    return layout;
}

ScreenLabel Label(const char* text, float x, float y, const char* parent = nullptr)
{
    return {text, kEditorLabelFont, x, y, parent};
}

// A list of resource paths, in a font small enough for whole paths.
ScreenWidget FileList(const char* name, float x, float y, float width, float height,
                      const char* parent = nullptr)
{
    ScreenWidget row{name, &guiListBox::StaticClassInfo, "", x, y, width, height};
    row.parent = parent;
    row.font = kEditorListFont;
    return row;
}

// The file chooser: the list in a scroller, its preview beside it, then its two buttons.
void AddChooser(ScreenLayout& layout, float x, float y)
{
    const std::vector<ScreenWidget> rows = {
        GroupRow("list group", x, y, 400, 110),
        FileList("list", 0, 0, 380, 110, "list group"),
        GroupRow("preview group", x + 410, y, 110, 110),
        Within({"preview", &guiImage::StaticClassInfo, "", 0, 0, 110, 110}, "preview group"),
        GroupRow("list button group", x + 530, y, 70, 62),
        Within(Button("list select button", "Select", 0, 0, 70), "list button group"),
        Within(Button("list cancel button", "Close", 0, 34, 70), "list button group"),
    };
    layout.widgets.insert(layout.widgets.end(), rows.begin(), rows.end());
}

void AddEditorDialogs(std::vector<ScreenLayout>& table)
{
    ScreenLayout create = Dialog("UI/editor/createterrain.kab", windowNames::kCreateTerrain, 620, 472);
    create.widgets = {
        {"title", &guiTextBox::StaticClassInfo, "Create New Terrain", 10, 6, 400, 24},
        GroupRow("label group", 10, 37, 76, 148),
        GroupRow("text box group", 90, 37, 380, 148),
        Field("heightmap", "resources\\worlds\\heightmap\\map129.tga", 0, 2, 280, "text box group"),
        Within(Button("browse heightmap button", "Browse", 290, 0, 80), "text box group"),
        Field("height", "32", 0, 32, 100, "text box group"),
        Field("width", "128", 0, 62, 100, "text box group"),
        Field("length", "128", 0, 92, 100, "text box group"),
        Field("vertex light", "0", 0, 122, 100, "text box group"),
        GroupRow("layer group", 10, 195, 600, 90),
        Field("mask path", "resources\\worlds\\groundmasks\\full129.tga", 80, 2, 280, "layer group"),
        Within(Button("browse mask button", "Browse", 370, 0, 80), "layer group"),
        Field("texture path", "resources\\worlds\\groundtiles\\grass.bmp", 80, 32, 280, "layer group"),
        Within(Button("browse texture button", "Browse", 370, 30, 80), "layer group"),
        Field("tex stretch", "1", 80, 62, 100, "layer group"),
        Button("ok", "Ok", 370, 436, 110),
        Button("cancel", "Cancel", 490, 436, 110),
    };
    AddChooser(create, 10, 316);
    create.labels = {Label("Height map", 0, 6, "label group"),     Label("Height", 0, 36, "label group"),
                     Label("Width", 0, 66, "label group"),         Label("Length", 0, 96, "label group"),
                     Label("Vertex light", 0, 126, "label group"), Label("Mask", 0, 6, "layer group"),
                     Label("Texture", 0, 36, "layer group"),       Label("Stretch", 0, 66, "layer group")};
    create.editor = true;
    table.push_back(create);

    ScreenLayout layer = Dialog("UI/editor/terrainlayer.kab", "Terrain Layer Window", 620, 360);
    layer.widgets = {
        Field("mask path", "resources\\worlds\\groundmasks\\half129.tga", 90, 16, 350),
        Button("browse mask button", "Browse", 450, 14, 80),
        Field("texture path", "resources\\worlds\\groundtiles\\sand.bmp", 90, 46, 350),
        Button("browse texture button", "Browse", 450, 44, 80),
        Field("tex stretch", "1", 90, 76, 100),
        Button("ok", "Ok", 370, 320, 110),
        Button("cancel", "Cancel", 490, 320, 110),
    };
    AddChooser(layer, 10, 120);
    layer.labels = {Label("Mask", 10, 20), Label("Texture", 10, 50), Label("Stretch", 10, 80)};
    layer.editor = true;
    table.push_back(layer);

    ScreenLayout sky = Dialog("UI/editor/skybox.kab", windowNames::kAddSkybox, 400, 400);
    sky.widgets = {
        {"title", &guiTextBox::StaticClassInfo, "Add Skybox", 10, 6, 380, 24},
        Field("left", "resources\\worlds\\skybox\\sky_left.dds", 90, 40, 300),
        Field("right", "resources\\worlds\\skybox\\sky_right.dds", 90, 70, 300),
        Field("forward", "resources\\worlds\\skybox\\sky_forward.dds", 90, 100, 300),
        Field("back", "resources\\worlds\\skybox\\sky_back.dds", 90, 130, 300),
        Field("top", "resources\\worlds\\skybox\\sky_top.dds", 90, 160, 300),
        Field("texture", "resources\\worlds\\skybox\\clouds.dds", 90, 190, 300),
        Field("height", "90", 90, 220, 100),
        Field("speed", "0.5", 90, 250, 100),
        Button("ok", "Ok", 70, 356, 110),
        Button("cancel", "Cancel", 220, 356, 110),
    };
    sky.labels = {Label("Left", 10, 44),    Label("Right", 10, 74), Label("Forward", 10, 104),
                  Label("Back", 10, 134),   Label("Top", 10, 164),  Label("Clouds", 10, 194),
                  Label("Height", 10, 224), Label("Speed", 10, 254)};
    sky.editor = true;
    table.push_back(sky);

    ScreenLayout sun = Dialog("editor\\addsun.kab", "Add Sun Window", 400, 440);
    sun.widgets = {
        Field("texture", "resources\\worlds\\billboards\\sun.dds", 110, 14, 280),
        Field("position", "0.375", 110, 44, 100),
        Field("axis tilt", "0.5", 110, 74, 100),
        Field("scale", "0.5", 110, 104, 100),
        Field("red", "1", 110, 134, 100),
        Field("green", "1", 110, 164, 100),
        Field("blue", "1", 110, 194, 100),
        Field("redambient", "0.5", 110, 224, 100),
        Field("greenambient", "0.5", 110, 254, 100),
        Field("blueambient", "0.5", 110, 284, 100),
        Button("ok", "Ok", 70, 396, 110),
        Button("cancel", "Cancel", 220, 396, 110),
    };
    sun.labels = {Label("Texture", 10, 18),        Label("Position", 10, 48),
                  Label("Axis tilt", 10, 78),      Label("Scale", 10, 108),
                  Label("Red", 10, 138),           Label("Green", 10, 168),
                  Label("Blue", 10, 198),          Label("Ambient red", 10, 228),
                  Label("Ambient green", 10, 258), Label("Ambient blue", 10, 288)};
    sun.editor = true;
    table.push_back(sun);

    ScreenLayout flare = Dialog("UI/editor/flarelayer.kab", windowNames::kFlareLayer, 620, 360);
    flare.widgets = {
        Field("texture", "resources\\worlds\\billboards\\flare_glow.dds", 90, 16, 350),
        Button("browse button", "Browse", 450, 14, 80),
        Field("length", "2", 90, 46, 100),
        Field("scale", "1", 90, 76, 100),
        Button("ok", "Ok", 370, 320, 110),
        Button("cancel", "Cancel", 490, 320, 110),
    };
    AddChooser(flare, 10, 120);
    flare.labels = {Label("Texture", 10, 20), Label("Length", 10, 50), Label("Scale", 10, 80)};
    flare.editor = true;
    table.push_back(flare);

    ScreenLayout list = Dialog("UI/editor/layerlist.kab", "Layer List Window", 300, 280);
    list.widgets = {
        {"title", &guiTextBox::StaticClassInfo, "Remove Layer", 10, 6, 280, 24},
        FileList("layer list", 10, 40, 260, 180),
        Button("remove", "Remove", 30, 236, 110),
        Button("cancel", "Cancel", 160, 236, 110),
    };
    list.editor = true;
    table.push_back(list);
}

ScreenLayout Cell(const char* file, const ScreenWidget& widget)
{
    ScreenLayout cell{file, widget.record, widget.name, 0, 0, 0, 0, {widget}, {}};
    cell.cell = true;
    return cell;
}

// The editor's property sheet with its cells, and the course options built on the game's property editor.
void AppendPropertyLayouts(std::vector<ScreenLayout>& table)
{
    ScreenLayout properties = Dialog("UI/editor/properties.kab", windowNames::kEditorProperties, 620, 460);
    auto inGroup = [](ScreenWidget widget, const char* group)
    {
        widget.parent = group;
        return widget;
    };
    properties.widgets = {
        {"title", &guiTextBox::StaticClassInfo, "Properties", 20, 10, 420, 26},
        {"property grid", &guiGrid::StaticClassInfo, "120 289 26", 20, 44, 440, 222},
        {"preview group", &guiGroup::StaticClassInfo, "", 335, 274, 136, 136},
        inGroup({"preview", &guiImage::StaticClassInfo, "", 4, 4, 128, 128}, "preview group"),
        {"browse list group", &guiGroup::StaticClassInfo, "", 20, 278, 300, 126},
        inGroup({"browse list", &guiListBox::StaticClassInfo, "", 0, 0, 280, 126}, "browse list group"),
        {"list button group", &guiGroup::StaticClassInfo, "", 485, 278, 126, 68},
        inGroup(Button("list select button", "Select", 8, 0, 110), "list button group"),
        inGroup(Button("list cancel button", "Close", 8, 40, 110), "list button group"),
        {"xml list group", &guiGroup::StaticClassInfo, "", 20, 278, 300, 126},
        inGroup({"xml list", &guiListBox::StaticClassInfo, "", 0, 0, 280, 126}, "xml list group"),
        {"xml list button group", &guiGroup::StaticClassInfo, "", 485, 278, 126, 68},
        inGroup(Button("xml list select button", "Select", 8, 0, 110), "xml list button group"),
        inGroup(Button("xml list cancel button", "Close", 8, 40, 110), "xml list button group"),
        Button("ok", "Ok", 380, 420, 110),
        Button("cancel", "Cancel", 500, 420, 110),
    };
    table.push_back(properties);
    table.push_back(Cell("ui/editor/properties_label_cell.kab",
                         {"label", &guiTextBox::StaticClassInfo, "", 0, 0, 118, 20}));
    table.push_back(Cell("ui/editor/properties_value_cell.kab",
                         {"value", &guiTextBox::StaticClassInfo, "", 0, 0, 287, 20, true}));
    table.push_back(Cell("ui/editor/properties_browse_cell.kab", Button("browse", "...", 0, 0, 24)));
    table.push_back(Cell("ui/editor/properties_xml_cell.kab", Button("xml", "v", 0, 0, 24)));

    ScreenLayout options = Dialog("UI/tvEditor/course_options.kab", windowNames::kCourseOptions, 340, 260);
    options.widgets = {
        {"Properties Grid", &guiGrid::StaticClassInfo, "140 160", 18, 48, 304, 134},
        Button("OK Button", "OK", 40, 214, 110),
        Button("Cancel Button", "Cancel", 190, 214, 110),
    };
    options.labels = {{"Course Options", "bar18b", 20, 14}};
    table.push_back(options);
    table.push_back(Cell("ui/tvEditor/properties_label_cell.kab",
                         {"TextField", &guiTextBox::StaticClassInfo, "", 0, 0, 138, 20}));
    table.push_back(Cell("ui/tvEditor/properties_edit_cell.kab",
                         {"TextField", &guiTextBox::StaticClassInfo, "", 0, 0, 158, 20, true}));
    table.push_back(Cell("ui/tvEditor/properties_text_cell.kab",
                         {"TextField", &guiTextBox::StaticClassInfo, "", 0, 0, 158, 20}));
    table.push_back(Cell("ui/tvEditor/properties_dropdown_cell.kab",
                         {"Value Dropdown", &guiDropDown::StaticClassInfo, "", 0, 0, 158, 20}));
}

// The options screen and the three pages it loads into its content group.
void AddOptionsScreens(std::vector<ScreenLayout>& table)
{
    constexpr const char* kHost = "ui/common/opt.kab";
    ScreenLayout options{kHost, &guiWindow::StaticClassInfo, windowNames::kOptions, 0, 0, 0, 0, {}, {}};
    options.widgets = {
        Button("opt_video_b", "Video", 40, 80, 120),
        Button("opt_audio_b", "Audio", 170, 80, 120),
        Button("opt_controls_b", "Controls", 300, 80, 120),
        {"selbar", &guiImage::StaticClassInfo, "vid_sel.tga", 40, 112, float(kTabBarWidth),
         float(kTabBarHeight)},
        {"options content group", &guiGroup::StaticClassInfo, "", 40, 134, 560, 280},
        Button("opt_ok_b", "OK", 380, 430, 110),
        Button("opt_cancel_b", "Cancel", 500, 430, 110),
    };
    options.labels = {{"Options", "bar24b", 40, 30}};
    CentrePage(options);
    table.push_back(options);

    const float box = float(kCheckSide);
    ScreenLayout video{
        "ui\\common\\opt_video.kab", &guiGroup::StaticClassInfo, "video page", 0, 0, 560, 280, {}, {}};
    video.host = kHost;
    video.widgets = {
        {"resolution_drop", &guiDropDown::StaticClassInfo, "", 150, 12, 160, 18},
        {"fullscreen_checkbox", &guiCheckBox::StaticClassInfo, "", 150, 150, box, box},
        {"low_checkbox", &guiCheckBox::StaticClassInfo, "", 150, 200, box, box},
        {"med_checkbox", &guiCheckBox::StaticClassInfo, "", 250, 200, box, box},
        {"high_checkbox", &guiCheckBox::StaticClassInfo, "", 370, 200, box, box},
    };
    video.labels = {{"Resolution", "bar16m", 0, 10}, {"Full screen", "bar16m", 180, 150},
                    {"Detail", "bar16m", 0, 200},    {"Low", "bar16m", 180, 200},
                    {"Medium", "bar16m", 280, 200},  {"High", "bar16m", 400, 200}};
    table.push_back(video);

    ScreenLayout audio{
        "UI\\common\\opt_audio.kab", &guiGroup::StaticClassInfo, "audio page", 0, 0, 560, 280, {}, {}};
    audio.host = kHost;
    audio.widgets = {
        {"sound_volume", &guiSlider::StaticClassInfo, "", 180, 12, 300, 16},
        {"music_volume", &guiSlider::StaticClassInfo, "", 180, 62, 300, 16},
        {"mutesound_checkbox", &guiCheckBox::StaticClassInfo, "", 180, 120, box, box},
        {"mutemusic_checkbox", &guiCheckBox::StaticClassInfo, "", 180, 160, box, box},
    };
    audio.labels = {{"Sound effects", "bar16m", 0, 10},
                    {"Music", "bar16m", 0, 60},
                    {"Play impact sounds", "bar16m", 210, 120},
                    {"Play music", "bar16m", 210, 160}};
    table.push_back(audio);

    ScreenLayout controls{
        "ui\\common\\opt_controls.kab", &guiGroup::StaticClassInfo, "controls page", 0, 0, 560, 280, {}, {}};
    controls.host = kHost;
    struct Row
    {
        const char* button;
        const char* text;
        const char* action;
    };
    const Row rows[] = {
        {"accel_b", "accel_text", "Accelerate"},      {"brake_b", "brake_text", "Brake"},
        {"left_b", "left_text", "Steer left"},        {"right_b", "right_text", "Steer right"},
        {"camera_b", "camera_text", "Change camera"}, {"respawn_b", "respawn_text", "Respawn"},
        {"freecam_b", "freecam_t", "Free camera"},    {"quicklookback_b", "quicklook_t", "Look back"}};
    float y = 0;
    for (const Row& row : rows)
    {
        controls.widgets.push_back(Button(row.button, "Set", 160, y, 80));
        controls.widgets.push_back({row.text, &guiTextBox::StaticClassInfo, "", 260, y + 2, 220, 24});
        controls.labels.push_back({row.action, "bar16m", 0, y + 4});
        y += 34;
    }
    table.push_back(controls);
}

// The editor over its world: a toolbar across the top with the world's name beside it, three menus that
// drop from it, the entity palette down the left and the decal tools. Everything lies in "hide all group",
// which Tab hides.
ScreenLayout MapEditorLayout()
{
    constexpr const char* kAll = "hide all group";
    constexpr const char* kBar = "top toolbar";
    constexpr const char* kLeft = "build left group";
    ScreenLayout editor{
        "UI/editor/mapeditor.kab", &guiWindow::StaticClassInfo, windowNames::kMapEditor, 0, 0, 0, 0, {}, {}};
    // Laid out for an 800 by 600 screen; the world's name and the decal tools keep to the right-hand edge
    // and the bottom at any other size.
    ScreenWidget all{kAll, &guiGroup::StaticClassInfo, "", 0, 0, 1, 1};
    all.relative = kRelativeWidth | kRelativeHeight;
    editor.widgets = {
        all,
        Inside(kAll, {kBar, &guiGroup::StaticClassInfo, "", 0, 0, 664, 32}),
        Inside(kBar, Button("file button", "File", 2, 2, 60)),
        Inside(kBar, Button("tools button", "Tools", 66, 2, 60)),
        Inside(kBar, Button("properties button", "Properties", 130, 2, 110)),
        Inside(kBar, Button("Top View", "Top View", 244, 2, 90)),
        Inside(kBar, Button("Perspective View", "Perspective View", 338, 2, 170)),
        Inside(kBar, Button("Zoom Selected", "Zoom Selected", 512, 2, 140)),
        // The window sizes the toolbar to leave the screen's last 136 pixels to the world's name.
        Inside(kAll,
               Anchored({"filename", &guiTextBox::StaticClassInfo, "No World", -134, 4, 130, 24}, 1, 0)),
        Inside(kAll, {kLeft, &guiGroup::StaticClassInfo, "", 0, 40, 136, 540}),
        Inside(kLeft, {"entity category dropdown", &guiDropDown::StaticClassInfo, "", 4, 0, 128, 22}),
        // Its pictures' cells and the scroll bar beside them, as wide as the category's drop-down.
        Inside(kLeft, {"structure selection grid", &guiGrid::StaticClassInfo, "", 4, 30,
                       float(kPaletteWidth + kPaletteCellBorder + kScrollSide), 500}),
        Inside(kAll,
               Anchored({"draggable dropdown", &guiDropDown::StaticClassInfo, "", -160, 40, 150, 22}, 1, 0)),
        Inside(kAll,
               Anchored({"Height Label", &guiTextBox::StaticClassInfo, "Ground height", -160, -100, 150, 24},
                        1, 1)),
        Inside(kAll, Anchored(Button("HeightInc Button", "Up", -160, -70, 70), 1, 1)),
        Inside(kAll, Anchored(Button("HeightDec Button", "Down", -80, -70, 70), 1, 1)),
        // The menus last, so that they drop over everything else.
        Inside(kAll, {"file menu group", &guiGroup::StaticClassInfo, "", 2, 34, 180, 100}),
        Inside("file menu group", Menu("file menu", 180, 100)),
        Inside(kAll, {"tools menu group", &guiGroup::StaticClassInfo, "", 66, 34, 240, 222}),
        Inside("tools menu group", Menu("tools menu", 240, 222)),
        Inside(kAll, {"properties menu group", &guiGroup::StaticClassInfo, "", 130, 34, 160, 100}),
        Inside("properties menu group", Menu("properties menu", 160, 100)),
    };
    editor.backdrop = false;
    return editor;
}

ScreenWidget Value(const char* name, float x, float y, float width, const char* font = nullptr)
{
    // The large font needs the taller box.
    const float height = font != nullptr && std::string(font) == "bar24b" ? 32.0f : 22.0f;
    ScreenWidget row{name, &guiTextBox::StaticClassInfo, "", x, y, width, height};
    row.font = font;
    return row;
}

ScreenWidget ScrolledGrid(const char* name, const char* widths, float x, float y, float width, float height)
{
    ScreenWidget row{name, &guiGrid::StaticClassInfo, widths, x, y, width, height};
    row.scrolled = true;
    return row;
}

// The career hub, vehicle and course select, the stunt shop, and the cells their grids are filled with.
void AppendCareerLayouts(std::vector<ScreenLayout>& table)
{
    ScreenLayout career{
        "ui/CareerMenu/career.kab", &guiWindow::StaticClassInfo, windowNames::kCareer, 0, 0, 0, 0, {}, {}};
    career.widgets = {
        Value("DriverValue TextBox", 24, 10, 440, "bar24b"),
        Value("TCP TextBox", 200, 56, 90),
        Value("TRP TextBox", 200, 78, 90),
        Value("Unspent TextBox", 200, 100, 90),
        Value("CourseRunsValue TextBox", 200, 122, 90),
        Value("NearDeath TextBox", 200, 144, 90),
        {"Level Index", &guiText::StaticClassInfo, "1", 440, 62, 0, 0, false, nullptr, 24, "bar24b"},
        // Its columns and the scroll bar beside them: a long course list does not cover the Retry buttons.
        ScrolledGrid("Levels Grid", "140 10 100 25 90 15 60", 24, 196, float(440 + kScrollSide), 264),
        Button("NextLevel Button", "Next Level", 496, 56, 130),
        Button("Exhibition Button", "Exhibition", 496, 96, 130),
        Button("Practice Button", "Practice", 496, 136, 130),
        Button("StuntShop Button", "Stunt Shop", 496, 196, 130),
        Button("CourseEditor Button", "Course Editor", 496, 236, 130),
        Button("MainMenu Button", "Main Menu", 496, 432, 130),
    };
    career.labels = {{"Total points", "bar16m", 24, 58},
                     {"Reputation", "bar16m", 24, 80},
                     {"Unspent reputation", "bar16m", 24, 102},
                     {"Course runs", "bar16m", 24, 124},
                     {"Near deaths", "bar16m", 24, 146},
                     {"Level", "bar16m", 380, 68},
                     {"Course", "bar16b", 26, 176},
                     {"Result", "bar16b", 176, 176},
                     {"Score", "bar16b", 302, 176}};
    CentrePage(career);
    table.push_back(career);
    // Results such as "Attempted: (50%)" fit the 100-pixel column in the smallest font.
    ScreenWidget text{"Text", &guiTextBox::StaticClassInfo, "", 0, 0, 140, 20};
    text.font = "bar10m";
    table.push_back(Cell("UI/CareerMenu/Text_Cell.kab", text));
    table.push_back(Cell("UI/CareerMenu/Retry_Cell.kab", RowButton("Retry", "Retry", 60)));
    table.push_back(
        Cell("UI/CareerMenu/Locked_Cell.kab", {"Lock Mark", &guiImage::StaticClassInfo, kLockMarkPicture, 0,
                                               2, float(kLockMarkSide), float(kLockMarkSide)}));

    ScreenLayout cars{
        "ui/common/carselect.kab", &guiWindow::StaticClassInfo, windowNames::kCarSelect, 0, 0, 0, 0, {}, {}};
    cars.widgets = {
        Value("carname", 192, 62, 256, "bar24b"),
        {"Car Preview", &guiImage::StaticClassInfo, "", 192, 110, 256, 128},
        {"Locked", &guiImage::StaticClassInfo, kLockedPicture, 296, 250, 48, 48},
        Button("Prev", "<", 112, 160, 60),
        Button("Next", ">", 468, 160, 60),
        Button("Back", "Back", 40, 420, 110),
        Button("Continue", "Continue", 490, 420, 110),
    };
    cars.labels = {{"Choose a vehicle", "bar24b", 40, 20}};
    CentrePage(cars);
    table.push_back(cars);

    ScreenLayout courses{"ui/CourseSelect/CourseSelect.kab",
                         &guiWindow::StaticClassInfo,
                         windowNames::kCourseSelect,
                         0,
                         0,
                         0,
                         0,
                         {},
                         {}};
    courses.widgets = {
        ScrolledGrid("Courses Grid", "340 340", 24, 84, 580, 300),
        {"Locked", &guiImage::StaticClassInfo, kLockedPicture, 516, 410, 48, 48},
        Button("Back Button", "Back", 40, 420, 110),
        Button("Continue Button", "Continue", 490, 420, 110),
    };
    courses.labels = {
        {"Choose a course", "bar24b", 40, 20}, {"Course", "bar16b", 26, 62}, {"Designer", "bar16b", 366, 62}};
    CentrePage(courses);
    table.push_back(courses);
    table.push_back(
        Cell("UI/CourseSelect/Worlds_Cell.kab", {"Text", &guiTextBox::StaticClassInfo, "", 0, 0, 340, 20}));

    ScreenLayout shop{"UI/stuntshop/stuntshop.kab",
                      &guiWindow::StaticClassInfo,
                      windowNames::kStuntShop,
                      0,
                      0,
                      0,
                      0,
                      {},
                      {}};
    shop.widgets = {Value("item name", 40, 60, 560, "bar24b")};
    const char* const previews[] = {"preview_1", "preview_2", "preview_3"};
    const char* const prices[] = {"price_1", "price_2", "price_3"};
    const char* const states[] = {"status_1", "status_2", "status_3"};
    for (int slot = 0; slot < 3; ++slot)
    {
        const float x = 40.0f + 200.0f * float(slot);
        shop.widgets.push_back({previews[slot], &guiImage::StaticClassInfo, "", x, 110, 160, 120});
        shop.widgets.push_back(Value(prices[slot], x, 244, 90, "bar18b"));
        shop.widgets.push_back(
            {states[slot], &guiImage::StaticClassInfo, "", x + 128, 238, float(kLockSide), float(kLockSide)});
    }
    const std::vector<ScreenWidget> rest = {
        Button("left", "<", 40, 300, 60),          Button("unlock", "Unlock", 265, 300, 110),
        Button("right", ">", 540, 300, 60),        Value("RPL", 240, 424, 90, "bar18b"),
        Button("finish", "Finish", 490, 420, 110),
    };
    shop.widgets.insert(shop.widgets.end(), rest.begin(), rest.end());
    shop.labels = {{"Stunt Shop", "bar24b", 40, 20}, {"Reputation points", "bar16m", 40, 426}};
    CentrePage(shop);
    table.push_back(shop);

    ScreenLayout preview =
        Dialog("UI/coursepreview/coursepreview.kab", windowNames::kCoursePreview, 400, 280);
    preview.widgets = {
        Value("career_level", 20, 14, 360, "bar24b"),    Value("target_score", 200, 70, 150, "bar18b"),
        Value("personal_best", 200, 100, 150, "bar18b"), Value("all time high", 200, 130, 150, "bar18b"),
        Value("high score by", 200, 160, 180, "bar18b"), Button("back", "Back", 30, 230, 110),
        Button("begin", "Begin", 260, 230, 110),
    };
    preview.labels = {{"Target", "bar16m", 20, 72},
                      {"Your best", "bar16m", 20, 102},
                      {"All-time best", "bar16m", 20, 132},
                      {"Held by", "bar16m", 20, 162}};
    table.push_back(preview);

    // The race HUD: over the 3D view, so no backdrop. The top bar spans the screen with the run's numbers
    // on its left and the damage on its right; the countdown stands in the middle and the song name at the
    // bottom, whatever the screen's size.
    ScreenLayout hud{
        "ui/hud/hudview.kab", &guiWindow::StaticClassInfo, windowNames::kHud, 0, 0, 0, 0, {}, {}};
    ScreenWidget topBar{"top_trans_image", &guiImage::StaticClassInfo, "ui/hud/art/top_bar.tga", 0, 0, 1, 40};
    topBar.relative = kRelativeWidth;
    hud.widgets = {
        topBar,
        {"time icon image", &guiImage::StaticClassInfo, "ui/hud/art/time_icon.tga", 10, 8, 24, 24},
        Value("TimeValue TextBox", 38, 10, 70, "bar18b"),
        {"scoreicon", &guiImage::StaticClassInfo, "ui/hud/art/score_icon.tga", 120, 8, 24, 24},
        Value("PointsValue TextBox", 148, 10, 90, "bar18b"),
        {"target icon image", &guiImage::StaticClassInfo, "ui/hud/art/target_icon.tga", 250, 8, 24, 24},
        Value("TargetValue TextBox", 278, 10, 90, "bar18b"),
        Anchored(
            {"damage icon image", &guiImage::StaticClassInfo, "ui/hud/art/damage_icon.tga", -240, 8, 24, 24},
            1.0f, 0.0f),
        Anchored(
            {"Damage Image", &guiImage::StaticClassInfo, "UI/HUD/art/damage_bar_0.tga", -212, 12, 200, 16},
            1.0f, 0.0f),
        Anchored({"Count Image", &guiImage::StaticClassInfo, "", -64, -64, 128, 128}, 0.5f, 0.5f),
        Anchored(
            {"PressAnyKey Image", &guiImage::StaticClassInfo, "ui/hud/press_any_key.tga", -128, 160, 256, 32},
            0.5f, 0.5f),
        {"Jump Image", &guiImage::StaticClassInfo, "ui/hud/art/jump_icon.tga", 10, 48, 32, 32},
        {"Turbo Image", &guiImage::StaticClassInfo, "ui/hud/art/turbo_icon.tga", 46, 48, 32, 32},
        {"MegaTurbo Image", &guiImage::StaticClassInfo, "ui/hud/art/megaturbo_icon.tga", 82, 48, 32, 32},
        {"Repair Image", &guiImage::StaticClassInfo, "ui/hud/art/repair_icon.tga", 118, 48, 32, 32},
        Anchored(Value("SongName", 10, -30, 400, "bar16m"), 0.0f, 1.0f),
    };
    hud.backdrop = false;
    table.push_back(hud);

    ScreenLayout summary{"ui/common/coursesummary.kab",
                         &guiWindow::StaticClassInfo,
                         windowNames::kCourseSummary,
                         0,
                         0,
                         0,
                         0,
                         {},
                         {}};
    summary.widgets = {
        Value("Career Level Textbox", 40, 20, 400, "bar24b"),
        Value("Course Name Textbox", 40, 56, 400, "bar16m"),
        Value("ts text", 200, 90, 120, "bar18b"),
        Value("s_text", 200, 120, 120, "bar18b"),
        {"Reputation Points Label", &guiImage::StaticClassInfo, kReputationLabel, 360, 90, 160, 24},
        {"rpe", &guiImage::StaticClassInfo, "", 530, 80, 48, 48},
        Button("continue_b", "Continue", 490, 430, 110),
    };
    // Two rows of four award slots, each a picture over its caption.
    static const char* const images[] = {"image_1", "image_2", "image_3", "image_4",
                                         "image_5", "image_6", "image_7", "image_8"};
    static const char* const fronts[] = {"front_1", "front_2", "front_3", "front_4",
                                         "front_5", "front_6", "front_7", "front_8"};
    for (int slot = 0; slot < 8; ++slot)
    {
        const float x = 40.0f + 145.0f * float(slot % 4);
        const float y = 170.0f + 125.0f * float(slot / 4);
        summary.widgets.push_back({images[slot], &guiImage::StaticClassInfo, "", x, y, 128, 80});
        summary.widgets.push_back({fronts[slot], &guiImage::StaticClassInfo, "", x, y + 84, 128, 24});
    }
    summary.labels = {{"Target", "bar16m", 40, 92}, {"Points", "bar16m", 40, 122}};
    CentrePage(summary);
    table.push_back(summary);
}

std::vector<ScreenLayout> MakeContract()
{
    std::vector<ScreenLayout> table;

    ScreenLayout main{
        "ui/common/main.kab", &guiWindow::StaticClassInfo, windowNames::kMain, 0, 0, 0, 0, {}, {}};
    main.widgets = {
        {"Player List", &guiListBox::StaticClassInfo, "", 40, 150, 224, 220},
        Button("New Driver Button", "New Driver", 340, 150, 180),
        Button("Login Button", "Login", 340, 190, 180),
        Button("Delete Driver Button", "Delete Driver", 340, 230, 180),
        Button("Options Button", "Options", 340, 290, 180),
        Button("Credits Button", "Credits", 340, 330, 180),
        Button("Quit Button", "Quit", 340, 390, 180),
        {"vText", &guiTextBox::StaticClassInfo, "v1.0", 560, 450, 70, 20},
    };
    main.labels = {
        {"TARVOLIN", "bar24b", 40, 40}, {"Stunt driving", "bar16m", 40, 76}, {"Drivers", "bar18b", 40, 122}};
    CentrePage(main);
    table.push_back(main);

    ScreenLayout newPlayer = Dialog("ui/common/newplayer.kab", windowNames::kNewPlayer, 300, 160);
    newPlayer.widgets = {
        {"playername", &guiTextBox::StaticClassInfo, "Enter New Player Name", 20, 56, 260, 26, true},
        Button("ok", "Ok", 30, 112, 110),
        Button("cancel", "Cancel", 160, 112, 110),
    };
    newPlayer.labels = {{"New Driver", "bar18b", 20, 14}};
    table.push_back(newPlayer);

    ScreenLayout deletePlayer = Dialog("ui/common/deleteplayer.kab", windowNames::kDeletePlayer, 300, 160);
    deletePlayer.widgets = {
        {"playername", &guiTextBox::StaticClassInfo, "", 20, 56, 260, 26},
        Button("ok", "Delete", 30, 112, 110),
        Button("cancel", "Cancel", 160, 112, 110),
    };
    deletePlayer.labels = {{"Delete this driver?", "bar18b", 20, 14}};
    table.push_back(deletePlayer);

    ScreenLayout credits{
        "ui/common/credits.kab", &guiWindow::StaticClassInfo, windowNames::kCredits, 0, 0, 0, 0, {}, {}};
    credits.widgets = {Button("ok button", "Back", 500, 430, 110)};
    credits.labels = {{"Credits", "bar24b", 40, 30}};
    credits.page = kCredits;
    credits.pageX = 40;
    credits.pageY = 80;
    credits.pageWidth = 560;
    credits.pageHeight = 330;
    CentrePage(credits);
    table.push_back(credits);

    ScreenLayout inGame = Dialog("ui/common/ingamemenu.kab", windowNames::kInGameMenu, 300, 140);
    // Asked over a run whose clock goes on and by the course editor's exit alike: words true to both.
    inGame.widgets = {Button("ok_quit", "Quit", 30, 92, 110), Button("cancel_quit", "Resume", 160, 92, 110)};
    inGame.labels = {{"Are you sure?", "bar18b", 20, 14}, {"Quit now, or resume?", "bar16m", 20, 50}};
    table.push_back(inGame);

    ScreenLayout save = Dialog("UI/common/saveworld.kab", windowNames::kSaveWorld, 390, 140);
    save.widgets = {Button("yes_quit", "Save", 15, 92, 110), Button("no_quit", "Don't Save", 140, 92, 110),
                    Button("cancel_quit", "Cancel", 265, 92, 110)};
    save.labels = {{"Leaving the editor", "bar18b", 20, 14}, {"Save the course first?", "bar16m", 20, 50}};
    table.push_back(save);

    ScreenLayout loading{
        "UI/common/loading.kab", &guiWindow::StaticClassInfo, windowNames::kLoading, 0, 0, 0, 0, {}, {}};
    loading.labels = {{"Loading...", "bar24b", 250, 224}};
    CentrePage(loading);
    table.push_back(loading);
    AddEditorDialogs(table);
    AppendPropertyLayouts(table);
    AddOptionsScreens(table);
    ScreenLayout console{
        "DebugWindow.kab", &guiWindow::StaticClassInfo, "Console", 464, 450, 250, 125, {}, {}};
    console.widgets = {
        {"OutputBox", &guiDisplayBox::StaticClassInfo, "", 6, 6, 238, 80},
        {"InputBox", &guiTextBox::StaticClassInfo, "", 6, 93, 238, 26, true},
    };
    table.push_back(console);

    // The editor's file dialog: its picture carries the caption that tells saving from loading.
    ScreenLayout files =
        Dialog("UI/common/savegame.kab", windowNames::kSaveGame, kFileDialogWidth, kFileDialogHeight);
    files.widgets = {
        {"background image", &guiImage::StaticClassInfo, kFileDialogPictures[0].file, 0, 0, kFileDialogWidth,
         kFileDialogHeight},
        {"file list", &guiListBox::StaticClassInfo, "", 20, 60, 360, 176},
        {"filename label", &guiTextBox::StaticClassInfo, "File name:", 20, 252, 100, 26},
        {"filename", &guiTextBox::StaticClassInfo, "", 124, 252, 276, 26, true},
        Button("ok", "Ok", 70, 300, 110),
        Button("cancel", "Cancel", 240, 300, 110),
    };
    table.push_back(files);
    table.push_back(MapEditorLayout());
    AppendCareerLayouts(table);
    return table;
}

// A caption centred on its button as far as the estimate of its width goes.
guiCaption* CaptionedButton(const ScreenWidget& row)
{
    guiImageParams look;
    look.filename = ButtonPicture(int(row.width), guiButton::kNormal, int(row.height));
    look.size = Px(row.width, row.height);
    auto* button = new guiButton(row.name, Px(row.x, row.y), look);
    for (int32_t state = guiButton::kRollover; state <= guiButton::kDisabled; ++state)
    {
        look.filename = ButtonPicture(int(row.width), state, int(row.height));
        button->SetStateImage(state, look);
    }
    guiTextParams text;
    text.text = row.text;
    text.font = kCaptionFont;
    text.foreColor = Rgba(1.0f, 1.0f, 1.0f);
    auto* caption = new guiCaption(button, text);
    guiRenderContext context;
    DrawTree(caption, context);
    const float width = kCaptionAdvance * float(std::string(row.text).size());
    caption->GetCaption()->SetPosition(
        Px(std::max(0.0f, (row.width - width) / 2), (row.height - kCaptionHeight) / 2));
    return caption;
}

// A grid cell's box goes without a frame: the grid focuses a cell's root, which must be the box itself.
guiWidget* TextBox(const ScreenWidget& row, bool framed = true)
{
    guiTextBoxParams params;
    params.name = row.name;
    params.font = row.font != nullptr ? row.font : row.editable && row.height > 24 ? "bar16m" : "bar14m";
    params.text = row.text;
    params.foreColor = Rgba(1.0f, 1.0f, 0.85f);
    params.position = Place(row);
    params.size = Extent(row);
    params.alignment = guiTextBox::kAlignLeft | guiTextBox::kAlignCentreY;
    params.editable = row.editable;
    auto* box = new guiTextBox(params);
    box->SetBuffer(4);
    if (!row.editable)
        return box;
    box->SetMaxCharacters(row.maxChars);
    if (!framed)
        return box;
    // A typed field shows where it is.
    auto* frame = new guiBorder(Px(0, 0), Px(0, 0));
    frame->SetColor(Rgba(0.95f, 0.75f, 0.25f));
    frame->SetChild(box);
    return frame;
}

// In a scroller with a vertical bar, framed.
guiWidget* Scrolled(guiWidget* inner, const ScreenWidget& row)
{
    guiScrollerParams scrolling;
    scrolling.position = Px(row.x, row.y);
    scrolling.orientations = guiScroller::kVerticalBar;
    auto* scroller = new guiScroller(inner, scrolling);
    scroller->SetName(std::string(row.name) + " Scroller");
    SizeScrollBar(scroller->GetVerticalBar());
    auto* frame = new guiBorder(Px(0, 0), Px(0, 0));
    frame->SetColor(Rgba(0.5f, 0.6f, 0.8f));
    frame->SetChild(scroller);
    return frame;
}

guiWidget* ListBox(const ScreenWidget& row)
{
    auto* list = new guiListBox(Px(0, 0), Px(row.width, row.height));
    list->SetName(row.name);
    list->GetTextParams().font = row.font != nullptr ? row.font : "bar16m";
    list->SetForeColor(Rgba(1.0f, 1.0f, 0.85f));
    if (!row.filled)
        // Profiles can outgrow the view.
        return Scrolled(list, row);
    auto* background = new guiBackground(list, guiImageParams());
    if (background->GetImage() != nullptr)
        background->GetImage()->SetColor(0.08f, 0.10f, 0.18f, 1.0f);
    return Scrolled(background, row);
}

// The editor's palette: one column, its cells the size of the pictures inside the grid's lines, in a
// scroller whose bar stands beside them rather than over them.
guiWidget* PaletteGrid(const ScreenWidget& row)
{
    guiGridParams params(1, kPaletteHeight + kPaletteCellBorder, 1,
                         {int32_t(row.width) - int32_t(kScrollSide)});
    params.name = row.name;
    params.borderWidth = kPaletteCellBorder;
    auto* grid = new guiGrid(params);
    grid->SetSize(Px(row.width, row.height));
    return Scrolled(grid, row);
}

guiWidget* Grid(const ScreenWidget& row)
{
    std::vector<int32_t> widths;
    std::istringstream columns(row.text);
    for (int32_t width = 0; columns >> width;)
        widths.push_back(width);
    guiGridParams params(0, int32_t(kGridRowHeight), uint32_t(widths.size()), widths);
    params.name = row.name;
    params.position = Px(row.x, row.y);
    params.borderColor = Rgba(0.5f, 0.6f, 0.8f);
    params.rowSelect = false;
    auto* grid = new guiGrid(params);
    grid->SetSize(Px(row.width, row.height));
    if (!row.scrolled)
        return grid;
    grid->SetPosition(Px(0, 0));
    guiScrollerParams scrolling;
    scrolling.position = Px(row.x, row.y);
    scrolling.orientations = guiScroller::kVerticalBar;
    auto* scroller = new guiScroller(grid, scrolling);
    scroller->SetName(std::string(row.name) + " Scroller");
    SizeScrollBar(scroller->GetVerticalBar());
    return scroller;
}

guiGlyph* Picture(const ScreenWidget& row)
{
    auto* picture = new guiImage(Place(row), Extent(row));
    picture->SetName(row.name);
    // Untinted, so that pictures show their own colours, and blended, so that padlocks stand on the page.
    picture->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    picture->SetAlpha(true);
    if (*row.text != '\0')
        picture->SetFilename(row.text, true);
    return picture;
}

// A grid cell's drop-down: its box reads the choice back as every value cell's does.
guiWidget* CellDropDown(const ScreenWidget& row)
{
    auto* dropDown = new guiDropDown(Px(row.x, row.y), Px(row.width, row.height));
    dropDown->SetName(row.name);
    // The chosen item reads back through the box, as every value cell's does.
    dropDown->GetTextBox()->SetName("TextField");
    dropDown->GetTextBox()->SetId(11);
    dropDown->GetTextBox()->SetFont("bar14m");
    dropDown->GetTextBox()->SetTextColor(Rgba(1.0f, 1.0f, 0.85f));
    dropDown->GetTextBox()->SetEditable(false);
    dropDown->GetList()->GetTextParams().font = "bar14m";
    // The open list lies on a white back.
    dropDown->GetList()->SetForeColor(Rgba(0.06f, 0.1f, 0.3f));
    // The arrow is as tall as the row; the open list scrolls with the toolkit's bar.
    const float arrow = row.height;
    dropDown->GetButton()->SetSize(Px(arrow, arrow));
    for (int32_t state = 0; state < 4; ++state)
        if (guiImage* look = dropDown->GetButton()->GetStateImage(state))
            look->SetSize(Px(arrow, arrow));
    SizeScrollBar(dropDown->GetDecoratedList()->GetVerticalBar());
    return dropDown;
}

guiGlyph* Widget(const ScreenWidget& row)
{
    const kaClassInfo& record = row.record();
    if (&record == &guiButton::StaticClassInfo())
        return CaptionedButton(row);
    if (&record == &guiTextBox::StaticClassInfo())
        return TextBox(row);
    if (&record == &guiListBox::StaticClassInfo())
        return ListBox(row);
    if (&record == &guiGrid::StaticClassInfo())
        return row.text[0] == '\0' ? PaletteGrid(row) : Grid(row);
    if (&record == &guiImage::StaticClassInfo())
        return Picture(row);
    if (&record == &guiText::StaticClassInfo())
    {
        auto* text = new guiText(row.font != nullptr ? row.font : "bar16m", row.text, Px(row.x, row.y));
        text->SetName(row.name);
        text->SetColor(Rgba(1.0f, 1.0f, 0.85f));
        return text;
    }
    return FormWidget(row);
}

// Bevelled bar: a lighter top, a darker bottom and a one-pixel rim; colours per state.
std::vector<uint8_t> ButtonTexels(int width, int height, int state)
{
    static const float kColours[4][3] = {
        {0.16f, 0.30f, 0.55f}, // normal
        {0.25f, 0.48f, 0.80f}, // rollover
        {0.85f, 0.50f, 0.12f}, // clicked
        {0.28f, 0.28f, 0.30f}, // disabled
    };
    const float* base = kColours[state];
    std::vector<uint8_t> texels(std::size_t(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const bool rim = x == 0 || y == 0 || x == width - 1 || y == height - 1;
            const float shade = rim ? 1.45f : 1.2f - 0.45f * float(y) / float(height);
            uint8_t* texel = &texels[(std::size_t(y) * width + x) * 4];
            for (int c = 0; c < 3; ++c)
                texel[2 - c] = uint8_t(std::min(255.0f, base[c] * shade * 255.0f));
            texel[3] = 255;
        }
    return texels;
}

bool MakeFolders(const std::string& path)
{
    std::size_t at = 0;
    while ((at = path.find('/', at + 1)) != std::string::npos)
    {
        const std::string part = path.substr(0, at);
        if (!platform::IsDirectory(part) && !platform::CreateDirectory(part))
            return false;
    }
    return true;
}

} // namespace

std::string ButtonPicture(int width, int state, int height)
{
    static const char kLetters[] = "nrcd";
    const std::string size =
        std::to_string(width) + (height == kButtonPictureHeight ? "" : "x" + std::to_string(height));
    return std::string(kButtonFolder) + "/button" + size + "_" + kLetters[state] + ".tga";
}

std::string LayoutPath(const std::string& file)
{
    std::string name = file;
    std::replace(name.begin(), name.end(), '\\', '/');
    // One lower-case folder holds every layout; the file layer finds "UI/..." there too, and a name
    // without that folder through the interface search path.
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return char(std::tolower(c)); });
    if (lower.compare(0, 3, "ui/") != 0)
        return "ui/" + name;
    return "ui" + name.substr(2);
}

const std::vector<ScreenLayout>& ScreenContract()
{
    static const std::vector<ScreenLayout> table = MakeContract();
    return table;
}

guiGlyph* BuildScreen(const ScreenLayout& layout)
{
    if (layout.cell)
    {
        if (layout.widgets.empty())
            return nullptr;
        const ScreenWidget& row = layout.widgets.front();
        if (&row.record() == &guiDropDown::StaticClassInfo())
            return CellDropDown(row);
        if (&row.record() != &guiTextBox::StaticClassInfo())
            return Widget(row);
        auto* box = static_cast<guiTextBox*>(TextBox(row, false));
        // Values are file paths as often as numbers; the box scrolls.
        box->SetMaxCharacters(0);
        return box;
    }
    const bool full = layout.width == 0;
    guiGlyph* root = nullptr;
    if (layout.host != nullptr)
        root = new guiGroup(Px(layout.x, layout.y), Px(layout.width, layout.height));
    else if (full)
        root = new guiWindow(Px(0, 0), guiCoordPair::Relative(1.0f, 1.0f));
    else if (layout.centred)
        root =
            new guiWindow(layout.window, guiCoordPair::Relative(0.5f, 0.5f), Px(layout.width, layout.height),
                          guiWindow::kAlignCentreX | guiWindow::kAlignCentreY);
    else
        root = new guiWindow(Px(layout.x, layout.y), Px(layout.width, layout.height));
    root->SetName(layout.window);

    // A part lies on its window's back; a full-screen window over the 3D world may leave it out.
    if (layout.host == nullptr && layout.backdrop)
    {
        auto* back = new guiImage(Px(0, 0), guiCoordPair::Relative(1.0f, 1.0f));
        if (full)
            back->SetColor(0.05f, 0.07f, 0.14f, 1.0f);
        else
            back->SetColor(0.08f, 0.10f, 0.18f, 0.94f);
        root->AddChild(back);
    }
    // Pictures of the window itself lie under everything else and take no focus.
    auto backPicture = [](const ScreenWidget& row)
    { return &row.record() == &guiImage::StaticClassInfo() && row.parent == nullptr && !Anchors(row); };
    for (const ScreenWidget& row : layout.widgets)
        if (backPicture(row))
            root->AddChild(Picture(row));

    // Groups before what they hold, in the table's order.
    std::map<std::string, guiGlyph*> groups;
    auto holder = [root, &groups](const char* parent) -> guiGlyph*
    {
        const auto found = parent != nullptr ? groups.find(parent) : groups.end();
        return found != groups.end() ? found->second : root;
    };
    // A group of no size at the anchor carries the widgets placed from it, one per holder and point.
    std::map<std::string, guiGlyph*> anchors;
    auto anchorAt = [&holder, &anchors](const char* parent, float anchorX, float anchorY) -> guiGlyph*
    {
        guiGlyph* holding = holder(parent);
        if (anchorX == 0.0f && anchorY == 0.0f)
            return holding;
        std::ostringstream name;
        name << "Anchor " << anchorX << " " << anchorY << (parent != nullptr ? " in " : "")
             << (parent != nullptr ? parent : "");
        guiGlyph*& anchor = anchors[name.str()];
        if (anchor == nullptr)
        {
            anchor = new guiGroup(guiCoordPair::Relative(anchorX, anchorY), Px(0, 0));
            anchor->SetName(name.str());
            // It has no size of its own to clip to.
            anchor->SetClipMode(guiGlyph::kClipNone);
            holding->AddChild(anchor);
        }
        return anchor;
    };
    auto anchorOf = [&anchorAt](const ScreenWidget& row)
    { return anchorAt(row.parent, row.anchorX, row.anchorY); };
    for (const ScreenWidget& row : layout.widgets)
        if (&row.record() == &guiGroup::StaticClassInfo())
        {
            guiGlyph* group = FormWidget(row);
            anchorOf(row)->AddChild(group);
            groups[row.name] = group;
        }
    // Typed fields first, so that they come first in the focus order.
    std::vector<const ScreenWidget*> order;
    for (const ScreenWidget& row : layout.widgets)
        if (row.editable)
            order.push_back(&row);
    for (const ScreenWidget& row : layout.widgets)
        if (!row.editable)
            order.push_back(&row);
    for (const ScreenWidget* row : order)
    {
        if (&row->record() == &guiGroup::StaticClassInfo())
            continue;
        if (backPicture(*row))
            continue;
        guiGlyph* holding = anchorOf(*row);
        if (guiGlyph* track = SliderTrack(*row))
            holding->AddChild(track);
        if (guiGlyph* glyph = Widget(*row))
            holding->AddChild(glyph);
    }
    for (const ScreenLabel& label : layout.labels)
    {
        auto* text = new guiText(label.font, label.text, Px(label.x, label.y));
        text->SetColor(Rgba(1.0f, 0.85f, 0.35f));
        anchorAt(label.parent, label.anchorX, label.anchorY)->AddChild(text);
    }
    if (!layout.page.empty())
    {
        guiTextBoxParams page;
        page.font = "bar14m";
        page.text = layout.page;
        page.foreColor = Rgba(0.9f, 0.92f, 1.0f);
        page.position = Px(layout.pageX, layout.pageY);
        page.size = Px(layout.pageWidth, layout.pageHeight);
        page.editable = false;
        page.scrollable = false;
        auto* box = new guiTextBox(page);
        box->SetMultiLine(true);
        anchorAt(nullptr, layout.pageAnchorX, layout.pageAnchorY)->AddChild(box);
    }
    return root;
}

bool WriteScreens(const std::string& folder, std::string& error)
{
    if (!WriteFormPictures(folder, error))
        return false;
    std::set<std::pair<int, int>> sizes;
    for (const ScreenLayout& layout : ScreenContract())
        for (const ScreenWidget& row : layout.widgets)
            if (&row.record() == &guiButton::StaticClassInfo())
                sizes.insert({int(row.width), int(row.height)});
    for (const auto& [width, height] : sizes)
        for (int state = 0; state < 4; ++state)
        {
            const std::string path = folder + "/" + ButtonPicture(width, state, height);
            const std::vector<uint8_t> texels = ButtonTexels(width, height, state);
            kaTGAImage picture;
            if (!MakeFolders(path) || !picture.Create(width, height, 32, 8, texels.data()) ||
                !picture.Save(path, false))
            {
                error = "cannot write " + path;
                return false;
            }
        }
    if (!WriteFileDialogPictures(folder, error) || !WritePalettePictures(folder, error))
        return false;
    for (const ScreenLayout& layout : ScreenContract())
    {
        const std::string path = folder + "/" + LayoutPath(layout.file);
        guiGlyph* root = BuildScreen(layout);
        guiRenderContext context;
        DrawTree(root, context);
        const bool saved = MakeFolders(path) && gui::SaveLayout(*root, path, false);
        root->Release();
        if (!saved)
        {
            error = "cannot write " + path;
            return false;
        }
    }
    return true;
}

} // namespace guigen
