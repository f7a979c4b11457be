#include "tools/guigen/ScreenLayouts.h"

#include "tools/guigen/GuiContent.h"

#include "engine/gui/guiBorder.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiCaption.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiRenderContext.h"
#include "engine/gui/guiScroller.h"
#include "engine/gui/guiScrollerParams.h"
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

namespace guigen
{

namespace
{

constexpr float kButtonHeight = 28.0f;
// Captions are measured before any font is loaded: the bold 16 font's mean advance.
constexpr float kCaptionAdvance = 10.0f;
constexpr float kCaptionHeight = 18.0f;
constexpr const char* kCaptionFont = "bar16b";

guiCoordPair Px(float x, float y)
{
    return guiCoordPair::Pixels(x, y);
}

kaColor Rgba(float r, float g, float b, float a = 1.0f)
{
    return kaColor::kaColorClamped(r, g, b, a);
}

const char* const kCredits =
    "Tarvolin v1.0\n"
    "A stunt-driving game with a course editor.\n"
    "\n"
    "Physics: Open Dynamics Engine (ODE), BSD licence.\n"
    "Fonts rendered with FreeType, FreeType Licence.\n"
    "XML: TinyXML, zlib licence.\n"
    "Windows, input and sound devices: SDL2, zlib licence.\n"
    "Drawing: OpenGL through Mesa, MIT licence.\n"
    "Callbacks: Boost, Boost Software Licence 1.0.\n"
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
    ScreenLayout create{"UI/editor/createterrain.kab", &guiWindow::StaticClassInfo, "Create Terrain Window",
                        10, 4, 620, 472, {}, {}};
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
    create.labels = {Label("Height map", 0, 6, "label group"),   Label("Height", 0, 36, "label group"),
                     Label("Width", 0, 66, "label group"),        Label("Length", 0, 96, "label group"),
                     Label("Vertex light", 0, 126, "label group"), Label("Mask", 0, 6, "layer group"),
                     Label("Texture", 0, 36, "layer group"),      Label("Stretch", 0, 66, "layer group")};
    create.editor = true;
    table.push_back(create);

    ScreenLayout layer{"UI/editor/terrainlayer.kab", &guiWindow::StaticClassInfo, "Terrain Layer Window",
                       10, 60, 620, 360, {}, {}};
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

    ScreenLayout sky{"UI/editor/skybox.kab", &guiWindow::StaticClassInfo, "Add Skybox Window",
                     120, 40, 400, 400, {}, {}};
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
    sky.labels = {Label("Left", 10, 44),    Label("Right", 10, 74),   Label("Forward", 10, 104),
                  Label("Back", 10, 134),   Label("Top", 10, 164),    Label("Clouds", 10, 194),
                  Label("Height", 10, 224), Label("Speed", 10, 254)};
    sky.editor = true;
    table.push_back(sky);

    ScreenLayout sun{"editor\\addsun.kab", &guiWindow::StaticClassInfo, "Add Sun Window",
                     120, 20, 400, 440, {}, {}};
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
    sun.labels = {Label("Texture", 10, 18),     Label("Position", 10, 48),      Label("Axis tilt", 10, 78),
                  Label("Scale", 10, 108),      Label("Red", 10, 138),          Label("Green", 10, 168),
                  Label("Blue", 10, 198),       Label("Ambient red", 10, 228),
                  Label("Ambient green", 10, 258),
                  Label("Ambient blue", 10, 288)};
    sun.editor = true;
    table.push_back(sun);

    ScreenLayout flare{"UI/editor/flarelayer.kab", &guiWindow::StaticClassInfo, "Flare Layer Window",
                       10, 60, 620, 360, {}, {}};
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

    ScreenLayout list{"UI/editor/layerlist.kab", &guiWindow::StaticClassInfo, "Layer List Window",
                      170, 100, 300, 280, {}, {}};
    list.widgets = {
        {"title", &guiTextBox::StaticClassInfo, "Remove Layer", 10, 6, 280, 24},
        FileList("layer list", 10, 40, 260, 180),
        Button("remove", "Remove", 30, 236, 110),
        Button("cancel", "Cancel", 160, 236, 110),
    };
    list.editor = true;
    table.push_back(list);
}

std::vector<ScreenLayout> MakeContract()
{
    std::vector<ScreenLayout> table;

    ScreenLayout main{"ui/common/main.kab", &guiWindow::StaticClassInfo, "main window", 0, 0, 0, 0, {}, {}};
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
    main.labels = {{"TARVOLIN", "bar24b", 40, 40}, {"Stunt driving", "bar16m", 40, 76}, {"Drivers", "bar18b", 40, 122}};
    table.push_back(main);

    ScreenLayout newPlayer{"ui/common/newplayer.kab", &guiWindow::StaticClassInfo, "New Player Window", 170, 150,
                           300, 160, {}, {}};
    newPlayer.widgets = {
        {"playername", &guiTextBox::StaticClassInfo, "Enter New Player Name", 20, 56, 260, 26, true},
        Button("ok", "Ok", 30, 112, 110),
        Button("cancel", "Cancel", 160, 112, 110),
    };
    newPlayer.labels = {{"New Driver", "bar18b", 20, 14}};
    table.push_back(newPlayer);

    ScreenLayout deletePlayer{"ui/common/deleteplayer.kab", &guiWindow::StaticClassInfo, "Delete Player Window",
                              170, 150, 300, 160, {}, {}};
    deletePlayer.widgets = {
        {"playername", &guiTextBox::StaticClassInfo, "", 20, 56, 260, 26},
        Button("ok", "Delete", 30, 112, 110),
        Button("cancel", "Cancel", 160, 112, 110),
    };
    deletePlayer.labels = {{"Delete this driver?", "bar18b", 20, 14}};
    table.push_back(deletePlayer);

    ScreenLayout credits{"ui/common/credits.kab", &guiWindow::StaticClassInfo, "credits window", 0, 0, 0, 0, {}, {}};
    credits.widgets = {Button("ok button", "Back", 500, 430, 110)};
    credits.labels = {{"Credits", "bar24b", 40, 30}};
    credits.page = kCredits;
    credits.pageX = 40;
    credits.pageY = 80;
    credits.pageWidth = 560;
    credits.pageHeight = 330;
    table.push_back(credits);

    ScreenLayout inGame{"ui/common/ingamemenu.kab", &guiWindow::StaticClassInfo, "InGameMenu", 170, 170, 300,
                        140, {}, {}};
    inGame.widgets = {Button("ok_quit", "Quit Run", 30, 92, 110), Button("cancel_quit", "Resume", 160, 92, 110)};
    inGame.labels = {{"Paused", "bar18b", 20, 14}, {"Quit this run or carry on?", "bar16m", 20, 50}};
    table.push_back(inGame);

    ScreenLayout save{"UI/common/saveworld.kab", &guiWindow::StaticClassInfo, "Save World Menu", 125, 170, 390,
                      140, {}, {}};
    save.widgets = {Button("yes_quit", "Save", 15, 92, 110), Button("no_quit", "Don't Save", 140, 92, 110),
                    Button("cancel_quit", "Cancel", 265, 92, 110)};
    save.labels = {{"Leaving the editor", "bar18b", 20, 14}, {"Save the course first?", "bar16m", 20, 50}};
    table.push_back(save);

    ScreenLayout loading{"UI/common/loading.kab", &guiWindow::StaticClassInfo, "loading dialog", 0, 0, 0, 0, {}, {}};
    loading.labels = {{"Loading...", "bar24b", 250, 224}};
    table.push_back(loading);
    AddEditorDialogs(table);
    return table;
}

// A caption centred on its button as far as the estimate of its width goes.
guiCaption* CaptionedButton(const ScreenWidget& row)
{
    guiImageParams look;
    look.filename = ButtonPicture(int(row.width), guiButton::kNormal);
    look.size = Px(row.width, row.height);
    auto* button = new guiButton(row.name, Px(row.x, row.y), look);
    for (int32_t state = guiButton::kRollover; state <= guiButton::kDisabled; ++state)
    {
        look.filename = ButtonPicture(int(row.width), state);
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

guiWidget* TextBox(const ScreenWidget& row)
{
    guiTextBoxParams params;
    params.name = row.name;
    params.font = row.font != nullptr ? row.font : row.editable ? "bar16m" : "bar14m";
    params.text = row.text;
    params.foreColor = Rgba(1.0f, 1.0f, 0.85f);
    params.position = Px(row.x, row.y);
    params.size = Px(row.width, row.height);
    params.alignment = guiTextBox::kAlignLeft | guiTextBox::kAlignCentreY;
    params.editable = row.editable;
    auto* box = new guiTextBox(params);
    box->SetBuffer(4);
    if (!row.editable)
        return box;
    box->SetMaxCharacters(row.maxChars);
    // A typed field shows where it is.
    auto* frame = new guiBorder(Px(0, 0), Px(0, 0));
    frame->SetColor(Rgba(0.95f, 0.75f, 0.25f));
    frame->SetChild(box);
    return frame;
}

guiWidget* ListBox(const ScreenWidget& row)
{
    auto* list = new guiListBox(Px(0, 0), Px(row.width, row.height));
    list->SetName(row.name);
    list->GetTextParams().font = row.font != nullptr ? row.font : "bar16m";
    list->SetForeColor(Rgba(1.0f, 1.0f, 0.85f));
    // Profiles can outgrow the view.
    guiScrollerParams scrolling;
    scrolling.position = Px(row.x, row.y);
    scrolling.orientations = guiScroller::kVerticalBar;
    auto* scroller = new guiScroller(list, scrolling);
    scroller->SetName(std::string(row.name) + " Scroller");
    SizeScrollBar(scroller->GetVerticalBar());
    auto* frame = new guiBorder(Px(0, 0), Px(0, 0));
    frame->SetColor(Rgba(0.5f, 0.6f, 0.8f));
    frame->SetChild(scroller);
    return frame;
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

std::string ButtonPicture(int width, int state)
{
    static const char kLetters[] = "nrcd";
    return std::string(kButtonFolder) + "/button" + std::to_string(width) + "_" + kLetters[state] + ".tga";
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
    const bool full = layout.width == 0;
    guiWindow* root = full ? new guiWindow(Px(0, 0), guiCoordPair::Relative(1.0f, 1.0f))
                           : new guiWindow(Px(layout.x, layout.y), Px(layout.width, layout.height));
    root->SetName(layout.window);

    auto* back = new guiImage(Px(0, 0), guiCoordPair::Relative(1.0f, 1.0f));
    if (full)
        back->SetColor(0.05f, 0.07f, 0.14f, 1.0f);
    else
        back->SetColor(0.08f, 0.10f, 0.18f, 0.94f);
    root->AddChild(back);

    // Groups before what they hold, in the table's order.
    std::map<std::string, guiGlyph*> groups;
    auto holder = [root, &groups](const char* parent) -> guiGlyph*
    {
        const auto found = parent != nullptr ? groups.find(parent) : groups.end();
        return found != groups.end() ? found->second : root;
    };
    for (const ScreenWidget& row : layout.widgets)
        if (&row.record() == &guiGroup::StaticClassInfo())
        {
            auto* group = new guiGroup(Px(row.x, row.y), Px(row.width, row.height));
            group->SetName(row.name);
            holder(row.parent)->AddChild(group);
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
        const kaClassInfo& record = row->record();
        guiGlyph* parent = holder(row->parent);
        if (&record == &guiButton::StaticClassInfo())
            parent->AddChild(CaptionedButton(*row));
        else if (&record == &guiTextBox::StaticClassInfo())
            parent->AddChild(TextBox(*row));
        else if (&record == &guiListBox::StaticClassInfo())
            parent->AddChild(ListBox(*row));
        else if (&record == &guiImage::StaticClassInfo())
        {
            auto* image = new guiImage(Px(row->x, row->y), Px(row->width, row->height));
            image->SetName(row->name);
            parent->AddChild(image);
        }
    }
    for (const ScreenLabel& label : layout.labels)
    {
        auto* text = new guiText(label.font, label.text, Px(label.x, label.y));
        text->SetColor(Rgba(1.0f, 0.85f, 0.35f));
        holder(label.parent)->AddChild(text);
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
        root->AddChild(box);
    }
    return root;
}

bool WriteScreens(const std::string& folder, std::string& error)
{
    std::set<int> widths;
    for (const ScreenLayout& layout : ScreenContract())
        for (const ScreenWidget& row : layout.widgets)
            if (&row.record() == &guiButton::StaticClassInfo())
                widths.insert(int(row.width));
    for (const int width : widths)
        for (int state = 0; state < 4; ++state)
        {
            const std::string path = folder + "/" + ButtonPicture(width, state);
            const std::vector<uint8_t> texels = ButtonTexels(width, int(kButtonHeight), state);
            kaTGAImage picture;
            if (!MakeFolders(path) || !picture.Create(width, int(kButtonHeight), 32, 8, texels.data()) ||
                !picture.Save(path, false))
            {
                error = "cannot write " + path;
                return false;
            }
        }
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
