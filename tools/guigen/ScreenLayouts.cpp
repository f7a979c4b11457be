#include "tools/guigen/ScreenLayouts.h"

#include "tools/guigen/FileDialogPictures.h"
#include "tools/guigen/GuiContent.h"
#include "tools/guigen/PalettePictures.h"

#include "engine/gui/guiBackground.h"
#include "engine/gui/guiBorder.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiCaption.h"
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
constexpr int32_t kGridRowHeight = 68;
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

// The editor over its world: a toolbar across the top with the world's name beside it, three menus that
// drop from it, the entity palette down the left and the decal tools. Everything lies in "hide all group", which Tab hides.
ScreenLayout MapEditorLayout()
{
    constexpr const char* kAll = "hide all group";
    constexpr const char* kBar = "top toolbar";
    constexpr const char* kLeft = "build left group";
    ScreenLayout editor{"UI/editor/mapeditor.kab", &guiWindow::StaticClassInfo, "Map Editor Window", 0, 0, 0, 0,
                        {}, {}};
    editor.widgets = {
        {kAll, &guiGroup::StaticClassInfo, "", 0, 0, 800, 600},
        Inside(kAll, {kBar, &guiGroup::StaticClassInfo, "", 0, 0, 664, 32}),
        Inside(kBar, Button("file button", "File", 2, 2, 60)),
        Inside(kBar, Button("tools button", "Tools", 66, 2, 60)),
        Inside(kBar, Button("properties button", "Properties", 130, 2, 110)),
        Inside(kBar, Button("Top View", "Top View", 244, 2, 90)),
        Inside(kBar, Button("Perspective View", "Perspective View", 338, 2, 170)),
        Inside(kBar, Button("Zoom Selected", "Zoom Selected", 512, 2, 140)),
        // The window sizes the toolbar to leave the screen's last 136 pixels to the world's name.
        Inside(kAll, {"filename", &guiTextBox::StaticClassInfo, "No World", 666, 4, 130, 24}),
        Inside(kAll, {kLeft, &guiGroup::StaticClassInfo, "", 0, 40, 136, 540}),
        Inside(kLeft, {"entity category dropdown", &guiDropDown::StaticClassInfo, "", 4, 0, 128, 22}),
        Inside(kLeft, {"structure selection grid", &guiGrid::StaticClassInfo, "", 4, 30, 110, 500}),
        Inside(kAll, {"draggable dropdown", &guiDropDown::StaticClassInfo, "", 640, 40, 150, 22}),
        Inside(kAll, {"Height Label", &guiTextBox::StaticClassInfo, "Ground height", 640, 500, 150, 24}),
        Inside(kAll, Button("HeightInc Button", "Up", 640, 530, 70)),
        Inside(kAll, Button("HeightDec Button", "Down", 720, 530, 70)),
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

    // The editor's file dialog: its picture carries the caption that tells saving from loading.
    ScreenLayout files{"UI/common/savegame.kab", &guiWindow::StaticClassInfo, "Save Game Window", 110, 60,
                       kFileDialogWidth, kFileDialogHeight, {}, {}};
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
    params.font = row.editable ? "bar16m" : "bar14m";
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
    box->SetMaxCharacters(24);
    // A typed field shows where it is.
    auto* frame = new guiBorder(Px(0, 0), Px(0, 0));
    frame->SetColor(Rgba(0.95f, 0.75f, 0.25f));
    frame->SetChild(box);
    return frame;
}

// A picture from a file, drawn under the window's other widgets.
guiGlyph* Picture(const ScreenWidget& row)
{
    guiImageParams params;
    params.name = row.name;
    params.filename = row.text;
    params.position = Px(row.x, row.y);
    params.size = Px(row.width, row.height);
    auto* picture = new guiImage(params);
    picture->SetName(row.name);
    return picture;
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
    list->GetTextParams().font = "bar16m";
    list->SetForeColor(Rgba(1.0f, 1.0f, 0.85f));
    if (!row.filled)
        // Profiles can outgrow the view.
        return Scrolled(list, row);
    auto* background = new guiBackground(list, guiImageParams());
    if (background->GetImage() != nullptr)
        background->GetImage()->SetColor(0.08f, 0.10f, 0.18f, 1.0f);
    return Scrolled(background, row);
}

// Rows as tall as the editor palette's pictures.
guiWidget* Grid(const ScreenWidget& row)
{
    guiGridParams params(1, kGridRowHeight, 1, {int32_t(row.width)});
    params.name = row.name;
    auto* grid = new guiGrid(params);
    grid->SetSize(Px(row.width, row.height));
    return Scrolled(grid, row);
}

guiWidget* Group(const ScreenWidget& row)
{
    auto* group = new guiGroup(Px(row.x, row.y), Px(row.width, row.height));
    group->SetName(row.name);
    return group;
}

guiWidget* DropDown(const ScreenWidget& row)
{
    auto* dropDown = new guiDropDown(Px(row.x, row.y), Px(row.width, row.height));
    dropDown->SetName(row.name);
    return dropDown;
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

    if (layout.backdrop)
    {
        auto* back = new guiImage(Px(0, 0), guiCoordPair::Relative(1.0f, 1.0f));
        if (full)
            back->SetColor(0.05f, 0.07f, 0.14f, 1.0f);
        else
            back->SetColor(0.08f, 0.10f, 0.18f, 0.94f);
        root->AddChild(back);
    }
    // Pictures lie under everything else and take no focus.
    for (const ScreenWidget& row : layout.widgets)
        if (&row.record() == &guiImage::StaticClassInfo())
            root->AddChild(Picture(row));

    // Typed fields first, so that they come first in the focus order.
    std::vector<const ScreenWidget*> order;
    for (const ScreenWidget& row : layout.widgets)
        if (row.editable)
            order.push_back(&row);
    for (const ScreenWidget& row : layout.widgets)
        if (!row.editable)
            order.push_back(&row);
    // Groups come before the rows they hold.
    std::map<std::string, guiGlyph*> groups;
    for (const ScreenWidget* row : order)
    {
        const kaClassInfo& record = row->record();
        guiGlyph* glyph = nullptr;
        if (&record == &guiButton::StaticClassInfo())
            glyph = CaptionedButton(*row);
        else if (&record == &guiTextBox::StaticClassInfo())
            glyph = TextBox(*row);
        else if (&record == &guiListBox::StaticClassInfo())
            glyph = ListBox(*row);
        else if (&record == &guiGrid::StaticClassInfo())
            glyph = Grid(*row);
        else if (&record == &guiDropDown::StaticClassInfo())
            glyph = DropDown(*row);
        else if (&record == &guiGroup::StaticClassInfo())
            groups[row->name] = glyph = Group(*row);
        if (glyph == nullptr)
            continue;
        const auto holder = row->parent != nullptr ? groups.find(row->parent) : groups.end();
        if (holder != groups.end())
            holder->second->AddChild(glyph);
        else
            root->AddChild(glyph);
    }
    for (const ScreenLabel& label : layout.labels)
    {
        auto* text = new guiText(label.font, label.text, Px(label.x, label.y));
        text->SetColor(Rgba(1.0f, 0.85f, 0.35f));
        root->AddChild(text);
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
    if (!WriteFileDialogPictures(folder, error) || !WritePalettePictures(folder, error))
        return false;
    for (const ScreenLayout& layout : ScreenContract())
    {
        // One lower-case folder holds every layout; the file layer finds "UI/..." there too.
        std::string name = layout.file;
        std::transform(name.begin(), name.begin() + 2, name.begin(), [](char c) { return char(std::tolower(c)); });
        const std::string path = folder + "/" + name;
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
