#include "tools/guigen/FormWidgets.h"

#include "tools/guigen/GuiContent.h"
#include "tools/guigen/ScreenLayouts.h"
#include "tools/guigen/ScrollImages.h"

#include "engine/gui/guiBorder.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiCheckBox.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiScroller.h"
#include "engine/gui/guiSlider.h"
#include "engine/gui/guiTextBox.h"
#include "engine/render/kaTGAImage.h"

#include "platform/files/Files.h"

#include <algorithm>
#include <cstdlib>

namespace guigen
{

namespace
{

guiCoordPair Px(float x, float y)
{
    return guiCoordPair::Pixels(x, y);
}

bool Is(const ScreenWidget& row, const kaClassInfo& record)
{
    return &row.record() == &record;
}

// The tab pictures live where the options screen's search folder finds them by bare name.
constexpr const char* kTabFolder = "ui/common";
constexpr int kSliderInset = int(kThumbLength) / 2;

guiWidget* CheckBox(const ScreenWidget& row)
{
    auto* box = new guiCheckBox(Px(row.x, row.y), Px(row.width, row.height));
    box->SetName(row.name);
    guiImageParams look;
    look.size = Px(row.width, row.height);
    for (int32_t state = guiButton::kNormal; state <= guiButton::kDisabled; ++state)
    {
        look.filename = CheckPicture(state);
        box->SetStateImage(state, look);
    }
    return box;
}

guiWidget* Slider(const ScreenWidget& row)
{
    guiImageParams thumb;
    thumb.filename = std::string(kScrollFolder) + "/UI_ScrollHSlider_N.bmp";
    thumb.size = Px(float(kThumbLength), float(kScrollSide));
    auto* slider = new guiSlider(thumb, true);
    slider->SetName(row.name);
    slider->SetPosition(Px(row.x, row.y));
    slider->SetSize(Px(row.width, row.height));
    // The thumb's centre runs along x between the insets, so its ends stay inside the slider; along y
    // the track gives the thumb's top.
    slider->SetTrack(Px(float(kSliderInset), 0), Px(row.width - float(kSliderInset), 0));
    slider->SetValue(1.0f, false);
    return slider;
}

guiGlyph* Track(const ScreenWidget& row)
{
    auto* track = new guiImage(Px(row.x + float(kSliderInset), row.y + row.height / 2 - 2),
                               Px(row.width - 2 * float(kSliderInset), 4));
    track->SetColor(0.45f, 0.55f, 0.75f, 1.0f);
    return track;
}

guiWidget* DropDown(const ScreenWidget& row)
{
    auto* drop = new guiDropDown(Px(row.x, row.y), Px(row.width, row.height));
    drop->SetName(row.name);
    drop->GetButton()->SetSize(Px(float(kScrollSide), float(kScrollSide)));
    for (int32_t state = 0; state < 4; ++state)
        if (guiImage* look = drop->GetButton()->GetStateImage(state))
            look->SetSize(Px(float(kScrollSide), float(kScrollSide)));
    SizeScrollBar(drop->GetDecoratedList()->GetVerticalBar());
    drop->GetTextBox()->SetFont("bar16m");
    drop->GetTextBox()->SetTextColor(kaColor::kaColorClamped(1.0f, 1.0f, 0.85f, 1.0f));
    drop->GetList()->GetTextParams().font = "bar14m";
    // The open list lies on a white back.
    drop->GetList()->SetForeColor(kaColor::kaColorClamped(0.06f, 0.1f, 0.3f, 1.0f));
    return drop;
}

guiGlyph* Picture(const ScreenWidget& row)
{
    guiImageParams look;
    look.filename = row.text;
    look.position = Px(row.x, row.y);
    look.size = Px(row.width, row.height);
    auto* image = new guiImage(look);
    image->SetName(row.name);
    return image;
}

guiWidget* Group(const ScreenWidget& row)
{
    // A group may stretch with its holder, as the editor's "hide all group" spans the screen.
    const auto axis = [&row](float value, int flag)
    { return (row.relative & flag) != 0 ? guiCoord::Relative(value) : guiCoord::Pixels(value); };
    auto* group = new guiGroup({axis(row.x, kRelativeX), axis(row.y, kRelativeY)},
                               {axis(row.width, kRelativeWidth), axis(row.height, kRelativeHeight)});
    group->SetName(row.name);
    return group;
}

guiWidget* RichText(const ScreenWidget& row)
{
    auto* box = new guiDisplayBox(Px(row.x, row.y), Px(row.width, row.height));
    box->SetName(row.name);
    auto* frame = new guiBorder(Px(0, 0), Px(0, 0));
    frame->SetColor(kaColor::kaColorClamped(0.5f, 0.6f, 0.8f, 1.0f));
    frame->SetChild(box);
    return frame;
}

std::vector<uint8_t> CheckTexels(int state)
{
    std::vector<uint8_t> texels(std::size_t(kCheckSide) * kCheckSide * 4);
    const float rimShade = state == guiButton::kDisabled   ? 0.45f
                           : state == guiButton::kRollover ? 1.0f
                                                           : 0.8f;
    for (int y = 0; y < kCheckSide; ++y)
        for (int x = 0; x < kCheckSide; ++x)
        {
            uint8_t* texel = &texels[(std::size_t(y) * kCheckSide + x) * 4];
            const bool rim = x < 2 || y < 2 || x >= kCheckSide - 2 || y >= kCheckSide - 2;
            // The tick: a short stroke down to the lower middle, then a long one up to the right.
            const bool tick =
                state == guiButton::kClicked && ((x >= 4 && x <= 9 && std::abs((y - 9) - (x - 4)) <= 1) ||
                                                 (x >= 9 && x <= 16 && std::abs((y - 14) + (x - 9)) <= 1));
            float r = 0.06f, g = 0.08f, b = 0.15f;
            if (rim)
                r = g = b = rimShade;
            if (tick)
            {
                r = 1.0f;
                g = 0.85f;
                b = 0.35f;
            }
            texel[0] = uint8_t(b * 255.0f);
            texel[1] = uint8_t(g * 255.0f);
            texel[2] = uint8_t(r * 255.0f);
            texel[3] = 255;
        }
    return texels;
}

std::vector<uint8_t> TabBarTexels(int chosen)
{
    const int third = (kTabBarWidth + kTabGap) / kTabCount;
    std::vector<uint8_t> texels(std::size_t(kTabBarWidth) * kTabBarHeight * 4);
    for (int y = 0; y < kTabBarHeight; ++y)
        for (int x = 0; x < kTabBarWidth; ++x)
        {
            uint8_t* texel = &texels[(std::size_t(y) * kTabBarWidth + x) * 4];
            // Each third lies under its tab button; the gap between buttons stays dark.
            const bool lit = x / third == chosen && x % third < third - kTabGap;
            texel[0] = lit ? 40 : 110;
            texel[1] = lit ? 160 : 60;
            texel[2] = lit ? 240 : 40;
            texel[3] = 255;
        }
    return texels;
}

bool WritePicture(const std::string& path, int width, int height, const std::vector<uint8_t>& texels,
                  std::string& error)
{
    kaTGAImage picture;
    if (!picture.Create(width, height, 32, 8, texels.data()) || !picture.Save(path, false))
    {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace

const std::vector<std::string>& TabBarPictures()
{
    static const std::vector<std::string> names = {"vid_sel.tga", "aud_sel.tga", "con_sel.tga"};
    return names;
}

std::string CheckPicture(int state)
{
    static const char kLetters[] = "nrcd";
    return std::string(kCheckFolder) + "/check_" + kLetters[state] + ".tga";
}

guiGlyph* SliderTrack(const ScreenWidget& row)
{
    return Is(row, guiSlider::StaticClassInfo()) ? Track(row) : nullptr;
}

guiGlyph* FormWidget(const ScreenWidget& row)
{
    if (Is(row, guiCheckBox::StaticClassInfo()))
        return CheckBox(row);
    if (Is(row, guiSlider::StaticClassInfo()))
        return Slider(row);
    if (Is(row, guiDropDown::StaticClassInfo()))
        return DropDown(row);
    if (Is(row, guiImage::StaticClassInfo()))
        return Picture(row);
    if (Is(row, guiGroup::StaticClassInfo()))
        return Group(row);
    if (Is(row, guiDisplayBox::StaticClassInfo()))
        return RichText(row);
    return nullptr;
}

bool WriteFormPictures(const std::string& folder, std::string& error)
{
    for (const std::string& sub :
         {std::string("/ui"), std::string("/ui/common"), std::string("/") + kCheckFolder})
        if (!platform::IsDirectory(folder + sub) && !platform::CreateDirectory(folder + sub))
        {
            error = "cannot make " + folder + sub;
            return false;
        }
    for (int state = guiButton::kNormal; state <= guiButton::kDisabled; ++state)
        if (!WritePicture(folder + "/" + CheckPicture(state), kCheckSide, kCheckSide, CheckTexels(state),
                          error))
            return false;
    for (int tab = 0; tab < kTabCount; ++tab)
        if (!WritePicture(folder + "/" + kTabFolder + "/" + TabBarPictures()[size_t(tab)], kTabBarWidth,
                          kTabBarHeight, TabBarTexels(tab), error))
            return false;
    return true;
}

} // namespace guigen
