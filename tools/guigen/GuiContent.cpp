#include "tools/guigen/GuiContent.h"

#include "tools/guigen/ClickSound.h"
#include "tools/guigen/LockPictures.h"
#include "tools/guigen/RacePictures.h"
#include "tools/guigen/ScreenLayouts.h"
#include "tools/guigen/ScrollImages.h"
#include "tools/guigen/TreeIcons.h"

#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiBackground.h"
#include "engine/gui/guiBorder.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiCaption.h"
#include "engine/gui/guiCheckBox.h"
#include "engine/gui/guiCursor.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiTreeView.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiLines.h"
#include "engine/gui/guiOptionGroup.h"
#include "engine/gui/guiPlaceholder.h"
#include "engine/gui/guiProxy.h"
#include "engine/gui/guiRectangle.h"
#include "engine/gui/guiRenderContext.h"
#include "engine/gui/guiScrollBar.h"
#include "engine/gui/guiScroller.h"
#include "engine/gui/guiScrollerParams.h"
#include "engine/gui/guiSlider.h"
#include "engine/gui/guiSplitFrame.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiTextBoxParams.h"
#include "engine/gui/guiTextParams.h"
#include "engine/gui/guiWindow.h"
#include "engine/render/kaTGAImage.h"

#include "platform/files/Files.h"
#include "platform/files/SafeFileWriter.h"

namespace guigen
{

namespace
{

// The arrow's shape: a wedge from the tip and a tail leaning down to the right.
bool InArrow(int x, int y)
{
    const bool wedge = y < 18 && x <= (y * 11) / 16;
    const bool tail = y >= 12 && y < 26 && x >= 3 + (y - 12) / 2 && x <= 6 + (y - 12) / 2;
    return wedge || tail;
}

guiCoordPair Px(float x, float y)
{
    return guiCoordPair::Pixels(x, y);
}

} // namespace

std::vector<uint8_t> CursorTexels()
{
    const int side = static_cast<int>(kCursorSide);
    std::vector<uint8_t> texels(static_cast<std::size_t>(side) * side * 4, 0);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
        {
            if (!InArrow(x, y))
                continue;
            const bool edge = x == 0 || !InArrow(x - 1, y) || !InArrow(x + 1, y) || y == 0 ||
                              !InArrow(x, y - 1) || !InArrow(x, y + 1);
            const uint8_t shade = edge ? 0 : 255;
            uint8_t* texel = &texels[(static_cast<std::size_t>(y) * side + x) * 4];
            texel[0] = shade;
            texel[1] = shade;
            texel[2] = shade;
            texel[3] = 255;
        }
    return texels;
}

namespace
{

std::string ScrollPicture(const char* name)
{
    return std::string(kScrollFolder) + "/UI_Scroll" + name;
}

} // namespace

void SizeScrollBar(guiScrollBar* bar)
{
    for (guiButton* arrow : {bar->GetLess(), bar->GetMore()})
    {
        if (arrow == nullptr)
            continue;
        arrow->SetSize(Px(float(kScrollSide), float(kScrollSide)));
        for (int32_t state = 0; state < 4; ++state)
            if (guiImage* look = arrow->GetStateImage(state))
                look->SetSize(Px(float(kScrollSide), float(kScrollSide)));
    }
    if (bar->GetSlider() != nullptr && bar->GetSlider()->GetThumb() != nullptr)
        bar->GetSlider()->GetThumb()->SetSize(bar->IsVertical()
                                                  ? Px(float(kScrollSide), float(kThumbLength))
                                                  : Px(float(kThumbLength), float(kScrollSide)));
    bar->SetDirty(true);
}

namespace
{

void AddDecorated(guiWindow* root)
{
    guiButton* framed = new guiButton(Px(420, 170), Px(100, 20));
    framed->SetName("framed button");
    guiBorder* border = new guiBorder(Px(0, 0), Px(0, 0));
    border->SetName("border");
    border->SetColor(kaColor::kaColorClamped(0.9f, 0.8f, 0.2f, 1.0f));
    border->SetChild(framed);
    root->AddChild(border);

    guiTextParams label;
    label.text = "Labelled";
    label.font = "bar16m";
    label.foreColor = kaColor::kaColorClamped(1.0f, 1.0f, 1.0f, 1.0f);
    guiCaption* caption = new guiCaption(new guiButton(Px(420, 200), Px(100, 20)), label);
    caption->SetName("caption");
    // No font measures the text here: one walk places the caption, then its text gets the place the
    // font would have given it.
    guiRenderContext context;
    DrawTree(caption, context);
    caption->GetCaption()->SetPosition(Px(22, -2));
    root->AddChild(caption);

    guiImageParams thumb;
    thumb.filename = ScrollPicture("HSlider_N.bmp");
    thumb.size = Px(float(kThumbLength), float(kScrollSide));
    guiSlider* slider = new guiSlider(thumb, true);
    slider->SetName("slider");
    slider->SetPosition(Px(420, 240));
    slider->SetSize(Px(160, 16));
    slider->SetTrack(Px(12, 0), Px(148, 0));
    slider->SetValue(0.3f, false);
    root->AddChild(slider);

    guiScrollBar* bar = new guiScrollBar(guiScrollBar::kVertical, Px(float(kScrollSide), 120));
    bar->SetName("scroll bar");
    bar->SetPosition(Px(600, 160));
    SizeScrollBar(bar);
    root->AddChild(bar);

    guiImageParams tile;
    tile.filename = ScrollPicture("Back.bmp");
    tile.tiling = true;
    guiBackground* background = new guiBackground(new guiPlaceholder(Px(420, 420), Px(120, 40)), tile);
    background->SetName("background");
    root->AddChild(background);

    // Around a widget that does not scroll, the bar stays hidden.
    guiScrollerParams scrolling;
    scrolling.position = Px(200, 400);
    scrolling.orientations = guiScroller::kVerticalBar | guiScroller::kHorizontalBar;
    guiScroller* scroller = new guiScroller(new guiPlaceholder(Px(0, 0), Px(150, 60)), scrolling);
    scroller->SetName("scroller");
    for (guiScrollBar* part : {scroller->GetVerticalBar(), scroller->GetHorizontalBar()})
        SizeScrollBar(part);
    root->AddChild(scroller);
}

// Tables under the frame and down the left edge, and a drop-down whose list opens over the frame. Their
// rows are filled by programs, never saved, so they show empty.
void AddLists(guiWindow* root)
{
    guiGrid* grid = new guiGrid(Px(130, 150), Px(80, 54));
    grid->SetName("grid");
    grid->Setup(3, 18, 2, {30, 50});
    grid->SetColumnParam(1, guiGrid::kAlignRight | guiGrid::kAlignCentreY);
    grid->SetRowSelect(false);
    root->AddChild(grid);

    guiListBox* list = new guiListBox(Px(215, 150), Px(80, 54));
    list->SetName("list box");
    list->GetTextParams().font = "bar12m";
    list->SetForeColor(kaColor::kaColorClamped(1.0f, 1.0f, 0.6f, 1.0f));
    root->AddChild(list);

    guiTreeView* tree = new guiTreeView(Px(16, 400), Px(80, 60));
    tree->SetName("tree view");
    tree->SetPermScrolls(true);
    root->AddChild(tree);

    guiDropDown* drop = new guiDropDown(Px(160, 40), Px(120, 18));
    drop->SetName("drop-down");
    drop->GetButton()->SetSize(Px(float(kScrollSide), float(kScrollSide)));
    for (int32_t state = 0; state < 4; ++state)
        if (guiImage* look = drop->GetButton()->GetStateImage(state))
            look->SetSize(Px(float(kScrollSide), float(kScrollSide)));
    SizeScrollBar(drop->GetDecoratedList()->GetVerticalBar());
    drop->GetTextBox()->SetFont("bar16m");
    drop->GetList()->GetTextParams().font = "bar12m";
    root->AddChild(drop);
}

// Rich text: a grey message on two lines with the pointer's picture in its flow, and a log scrolled to
// its end.
void AddDisplayBoxes(guiWindow* root)
{
    guiDisplayBox* message = new guiDisplayBox(Px(110, 396), Px(170, 44));
    message->SetName("message");
    message->SetText(std::string("<text font bar16m color .5 .5 .5 1>A file cannot contain:\n/:*?\"<>|</text>"
                                 "<image filename \"") +
                     kCursorFile + "\" alpha 1><text font bar12m align 2>centred</text>");
    root->AddChild(message);
    guiDisplayBox* log = new guiDisplayBox(Px(110, 444), Px(170, 30));
    log->SetName("log");
    log->SetText("<text font bar10m color 0.8 1 0.8 1>first line\nsecond line\nthird line\n</text>");
    root->AddChild(log);
}

} // namespace

guiGlyph* BuildShowcasePart()
{
    guiPlaceholder* part = new guiPlaceholder(Px(0, 0), Px(100, 40));
    part->SetName("part");
    guiRectangle* box = new guiRectangle(Px(0, 0), guiCoordPair::Relative(1.0f, 1.0f));
    box->SetName("part box");
    box->SetFillColor(kaColor::kaColorClamped(0.9f, 0.9f, 0.2f, 1.0f));
    part->AddChild(box);
    return part;
}

guiGlyph* BuildShowcase()
{
    guiWindow* root = new guiWindow(Px(0, 0), Px(640, 480));
    root->SetName("showcase");
    root->SetNotes("Every toolkit class, for the tests and the benchmark");

    guiImageParams picture;
    picture.name = "picture";
    picture.filename = kCursorFile;
    picture.position = Px(16, 16);
    // Sized here: the generator runs without graphics, so the picture's own size is not known to it.
    picture.size = Px(kCursorSide, kCursorSide);
    picture.alpha = true;
    picture.bufferWidth = Px(4, 2);
    picture.foreColor = kaColor::kaColorClamped(1.0f, 0.8f, 0.6f, 1.0f);
    picture.alphaHitTesting = true;
    guiImage* image = new guiImage(picture);
    image->SetName("picture");
    root->AddChild(image);

    guiImage* plain = new guiImage(Px(80, 16), Px(48, 24));
    plain->SetName("plain");
    plain->SetColor(0.2f, 0.4f, 0.8f, 0.5f);
    root->AddChild(plain);

    guiLines* rules = new guiLines(4, 3.0f);
    rules->SetName("rules");
    rules->SetPosition(Px(16, 80));
    rules->SetColor(kaColor::kaColorClamped(0.1f, 0.9f, 0.3f, 1.0f));
    rules->AddLine(Px(0, 0), Px(120, 0));
    rules->AddLine(Px(0, 10), Px(120, 30));
    root->AddChild(rules);

    guiRectangle* frame = new guiRectangle(Px(160, 80), Px(120, 60));
    frame->SetName("frame");
    frame->SetFillColor(kaColor::kaColorClamped(0.3f, 0.3f, 0.7f, 1.0f));
    frame->SetBorderColor(kaColor::kaColorClamped(1.0f, 1.0f, 1.0f, 1.0f));
    frame->SetBorderWidth(2.0f);
    root->AddChild(frame);

    guiRectangle* outline = new guiRectangle(Px(300, 80), Px(60, 40));
    outline->SetName("outline");
    outline->SetFilled(false);
    outline->SetBorderColor(kaColor::kaColorClamped(0.9f, 0.2f, 0.2f, 1.0f));
    outline->SetBorderWidth(1.0f);
    root->AddChild(outline);

    guiText* caption = new guiText("bar16m", "Two lines:\nfirst and second", Px(300, 140));
    caption->SetName("caption");
    caption->SetColor(kaColor::kaColorClamped(1.0f, 0.7f, 0.26f, 1.0f));
    root->AddChild(caption);

    guiTextBoxParams entry;
    entry.name = "entry";
    entry.font = "bar16m";
    entry.text = "Driver name";
    entry.position = Px(300, 190);
    entry.size = Px(160, 24);
    entry.alignment = guiTextBox::kAlignLeft | guiTextBox::kAlignCentreY;
    guiTextBox* box = new guiTextBox(entry);
    box->SetMaxCharacters(20);
    box->SetBuffer(2);
    root->AddChild(box);

    guiTextBoxParams notes;
    notes.name = "notes";
    notes.font = "bar12m";
    notes.text = "A text box that breaks its lines and is only read";
    notes.foreColor = kaColor::kaColorClamped(0.8f, 0.9f, 1.0f, 1.0f);
    notes.position = Px(620, 300);
    notes.size = Px(160, 60);
    notes.editable = false;
    notes.scrollable = false;
    guiTextBox* reader = new guiTextBox(notes);
    reader->SetMultiLine(true);
    root->AddChild(reader);

    guiProxy* proxy = new guiProxy(Px(16, 160), Px(100, 40));
    proxy->SetName("embedded");
    proxy->SetFilename(kShowcasePart);
    root->AddChild(proxy);

    guiPlaceholder* slot = new guiPlaceholder(Px(400, 300), Px(200, 100));
    slot->SetName("slot");
    root->AddChild(slot);

    guiButton* button = new guiButton(Px(16, 220), Px(80, 24));
    button->SetName("button");
    button->SetRepeatRate(0.1f);
    root->AddChild(button);

    guiCheckBox* check = new guiCheckBox(Px(110, 220), Px(20, 20), true);
    check->SetName("check");
    root->AddChild(check);

    guiOptionGroup* options = new guiOptionGroup(Px(150, 220), Px(80, 20));
    options->SetName("options");
    for (const char* name : {"first", "second"})
    {
        guiCheckBox* option = new guiCheckBox(Px(options->GetChildCount() * 30.0f, 0), Px(20, 20));
        option->SetName(name);
        options->AddChild(option);
    }
    options->SelectByName("second", false);
    root->AddChild(options);

    // A group centred on its point, its height kept equal to its width, holding a rectangle.
    guiGroup* group = new guiGroup(Px(100, 330), Px(120, 120));
    group->SetName("group");
    group->ApplyAlignment(guiGroup::kAlignCentre | guiGroup::kAlignMiddle);
    group->SetAspectSetting(guiGroup::kAspectHeightFollowsWidth);
    group->SetAspectRatio(1.0f);
    guiRectangle* groupBox = new guiRectangle(Px(10, 10), Px(100, 100));
    groupBox->SetName("group box");
    groupBox->SetFillColor(kaColor::kaColorClamped(0.2f, 0.7f, 0.7f, 1.0f));
    group->AddChild(groupBox);
    root->AddChild(group);

    // A split frame whose left slot, the master, takes two fifths.
    guiSplitFrame* split = new guiSplitFrame(Px(200, 280), Px(180, 80));
    split->SetName("split");
    split->SetMasterSize(guiCoord::Relative(0.4f));
    guiImage* left = new guiImage(Px(0, 0), guiCoordPair::Relative(1.0f, 1.0f));
    left->SetName("split left");
    left->SetColor(0.8f, 0.3f, 0.3f, 1.0f);
    split->SetSlotContent(0, left);
    guiRectangle* right = new guiRectangle(Px(0, 0), guiCoordPair::Relative(1.0f, 1.0f));
    right->SetName("split right");
    right->SetFillColor(kaColor::kaColorClamped(0.3f, 0.3f, 0.8f, 1.0f));
    split->SetSlotContent(1, right);
    root->AddChild(split);

    // A window inside the window, placed top-left so that its position reads back as it was written. It
    // takes the mouse only where a child does (the handle, an image: rectangles take no mouse), so it is
    // dragged by the handle and lets the mouse through elsewhere.
    guiWindow* panel = new guiWindow("panel window", Px(450, 40), Px(150, 100), 1 | 8);
    panel->SetDraggable(true);
    panel->SetAlphaHitTesting(true);
    guiImage* handle = new guiImage(Px(10, 10), Px(130, 30));
    handle->SetName("handle");
    handle->SetColor(0.8f, 0.6f, 0.1f, 1.0f);
    panel->AddChild(handle);
    root->AddChild(panel);

    AddDecorated(root);
    AddLists(root);
    AddDisplayBoxes(root);

    guiCursor* cursor = new guiCursor(kCursorFile, 0, 0);
    cursor->SetName("pointer");
    cursor->SetPosition(Px(320, 240));
    root->AddChild(cursor);
    return root;
}

guiGlyph* BuildProfilerWindow()
{
    guiWindow* root = new guiWindow(Px(0, 0), Px(420, 300));
    root->SetName("profiler window");
    guiRectangle* shade = new guiRectangle(Px(0, 0), guiCoordPair::Relative(1.0f, 1.0f));
    shade->SetName("shade");
    shade->SetFillColor(kaColor::kaColorClamped(0.0f, 0.0f, 0.0f, 0.6f));
    root->AddChild(shade);
    guiTextBoxParams report;
    report.name = "profiler text";
    report.font = "bar10m";
    report.foreColor = kaColor::kaColorClamped(1.0f, 1.0f, 0.6f, 1.0f);
    report.position = Px(4, 4);
    report.size = Px(412, 292);
    report.editable = false;
    report.scrollable = false;
    guiTextBox* box = new guiTextBox(report);
    box->SetMultiLine(true);
    root->AddChild(box);
    return root;
}

guiGlyph* BuildMessageBox()
{
    auto* box = new MessageBoxWindow();
    // No font measures the labels here: each gets the place a small font would give it.
    for (guiButton* button :
         {box->GetOkButton(), box->GetCancelButton(), box->GetYesButton(), box->GetNoButton()})
    {
        auto* caption = static_cast<guiCaption*>(button->GetParent());
        guiRenderContext context;
        DrawTree(caption, context);
        const float label = 7.0f * static_cast<float>(caption->GetCaption()->GetText().size());
        caption->GetCaption()->SetPosition(Px((MessageBoxWindow::kButtonWidth - label) / 2, 8));
    }
    return box;
}

bool WriteContent(const std::string& folder, std::string& error)
{
    const std::string ui = folder + "/ui";
    if (!platform::IsDirectory(ui) && !platform::CreateDirectory(ui))
    {
        error = "cannot make " + ui;
        return false;
    }
    const std::string sounds = folder + "/Sounds";
    if ((!platform::IsDirectory(sounds) && !platform::CreateDirectory(sounds)) ||
        !platform::SafeFileWriter::WriteWhole(folder + "/" + kClickSoundFile, ClickWave()))
    {
        error = "cannot write " + folder + "/" + kClickSoundFile;
        return false;
    }
    if (!WriteScrollPictures(folder, error) || !WriteTreeIcons(folder, error) ||
        !WriteLockPictures(folder, error) || !WriteRacePictures(folder, error))
        return false;
    const std::vector<uint8_t> texels = CursorTexels();
    kaTGAImage cursor;
    if (!cursor.Create(kCursorSide, kCursorSide, 32, 8, texels.data()) ||
        !cursor.Save(folder + "/" + kCursorFile, false))
    {
        error = "cannot write " + folder + "/" + kCursorFile;
        return false;
    }
    guiGlyph* part = BuildShowcasePart();
    const bool partSaved = gui::SaveLayout(*part, folder + "/" + kShowcasePart, false);
    part->Release();
    if (!partSaved)
    {
        error = "cannot write " + folder + "/" + kShowcasePart;
        return false;
    }
    guiGlyph* profiler = BuildProfilerWindow();
    const bool profilerSaved = gui::SaveLayout(*profiler, folder + "/" + kProfilerLayout, false);
    profiler->Release();
    if (!profilerSaved)
    {
        error = "cannot write " + folder + "/" + kProfilerLayout;
        return false;
    }
    guiGlyph* messageBox = BuildMessageBox();
    const bool messageBoxSaved = gui::SaveLayout(*messageBox, folder + "/" + kMessageBoxLayout, false);
    messageBox->Release();
    if (!messageBoxSaved)
    {
        error = "cannot write " + folder + "/" + kMessageBoxLayout;
        return false;
    }
    if (!WriteScreens(folder, error))
        return false;
    guiGlyph* showcase = BuildShowcase();
    // One walk gives the rectangles their outlines, as a first frame would.
    guiRenderContext context;
    DrawTree(showcase, context);
    const bool saved = gui::SaveLayout(*showcase, folder + "/" + kShowcaseText, false) &&
                       gui::SaveLayout(*showcase, folder + "/" + kShowcaseBinary, true);
    showcase->Release();
    if (!saved)
        error = "cannot write the showcase under " + folder;
    return saved;
}

} // namespace guigen
