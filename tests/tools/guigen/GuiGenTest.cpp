#include "tools/guigen/GuiContent.h"

#include "engine/core/SoundManager.h"
#include "engine/core/WaveFile.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaFileSystem.h"
#include "engine/gui/ProfilerWindow.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiCheckBox.h"
#include "engine/gui/guiManager.h"
#include "engine/render/kaBMPImage.h"
#include "platform/audio/NullAudioSink.h"
#include "tools/guigen/ClickSound.h"
#include "tools/guigen/ScrollImages.h"
#include "tools/guigen/TreeIcons.h"

#include "engine/gui/guiGlyph.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiOptionGroup.h"
#include "engine/gui/guiTextBox.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaTGAImage.h"
#include "platform/gfx/Direct3DFactory.h"
#include "platform/gfx/TestDevice.h"
#include "platform/gfx/TestDirect3D.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "platform/window/Window.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/ProcessLimits.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/gui/GuiDesk.h"
#include "tests/support/engine/gui/TestWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace
{

std::string ReadAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The content written into a fresh folder that is also the current one, as the build writes it.
class GuiContentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(guigen::WriteContent(".", error)) << error;
    }
    void TearDown() override { gui::SetLayoutVersion(gui::kLayoutVersion); }

    std::string Bytes(const char* file) const { return ReadAll(m_Dir.File(file)); }

    testsupport::TempDir m_Dir;
    testsupport::CurrentDirectory m_Here{m_Dir.File("")};
};

TEST_F(GuiContentTest, TheToolWritesTheSameBytesOnEveryRun)
{
    testsupport::TempDir other;
    const std::string run = "cd '" + other.Path() + "' && '" GUIGEN_PATH "' . && '" GUIGEN_PATH "' .";
    ASSERT_EQ(std::system(run.c_str()), 0);
    for (const char* file : {guigen::kCursorFile, guigen::kShowcaseText, guigen::kShowcaseBinary,
                             guigen::kShowcasePart, guigen::kProfilerLayout, guigen::kClickSoundFile})
        EXPECT_EQ(ReadAll(other.File(file)), Bytes(file)) << file;
    for (const char* file : {guigen::kMinusIconFile, guigen::kPlusIconFile})
        EXPECT_EQ(ReadAll(other.File(file)), Bytes(file)) << file;
    EXPECT_EQ(ReadAll(other.File(guigen::kMessageBoxLayout)), Bytes(guigen::kMessageBoxLayout));
    for (const guigen::ScrollPicture& picture : guigen::ScrollPictures())
    {
        const std::string file = std::string(guigen::kScrollFolder) + "/" + picture.file;
        EXPECT_EQ(ReadAll(other.File(file)), Bytes(file.c_str())) << file;
    }
    EXPECT_NE(std::system(("'" GUIGEN_PATH "' '" + other.File("no/such/folder") + "' 2>/dev/null").c_str()),
              0);
}

TEST_F(GuiContentTest, ThePointerIsAnArrowWithAlphaAndItsTipAtTheTopLeft)
{
    kaTGAImage cursor;
    ASSERT_TRUE(cursor.Load(m_Dir.File(guigen::kCursorFile)));
    EXPECT_EQ(cursor.GetWidth(), guigen::kCursorSide);
    EXPECT_EQ(cursor.GetAlphaBits(), 8u);
    auto alpha = [&cursor](int x, int y)
    { return cursor.GetPixels()[(y * guigen::kCursorSide + x) * 4 + 3]; };
    EXPECT_EQ(alpha(0, 0), 255);
    EXPECT_EQ(alpha(31, 0), 0);
    EXPECT_EQ(alpha(0, 31), 0);
    EXPECT_EQ(alpha(4, 10), 255);
}

TEST_F(GuiContentTest, TheClickIsAShortDyingBurstWhereTheButtonLooksForIt)
{
    WaveFile wave;
    ASSERT_EQ(wave.Open(guiButton::kClickSound, nullptr, WaveFile::kModeRead), platform::kResultOk);
    const platform::WaveFormat* format = wave.GetFormat();
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->formatTag, 1);
    EXPECT_EQ(format->channels, 1);
    EXPECT_EQ(format->bitsPerSample, 16);
    EXPECT_EQ(format->samplesPerSec, guigen::kClickRate);
    // Under a twentieth of a second, loud at once and nearly silent at the end.
    ASSERT_EQ(wave.GetDataSize(), guigen::kClickSamples * 2);
    EXPECT_LT(guigen::kClickSamples, guigen::kClickRate / 20);
    std::vector<int16_t> samples(guigen::kClickSamples);
    uint32_t read = 0;
    ASSERT_EQ(wave.Read(reinterpret_cast<uint8_t*>(samples.data()), wave.GetDataSize(), &read),
              platform::kResultOk);
    ASSERT_EQ(read, wave.GetDataSize());
    auto peak = [&samples](std::size_t from, std::size_t to)
    {
        int highest = 0;
        for (std::size_t i = from; i < to; ++i)
            highest = std::max(highest, std::abs(int(samples[i])));
        return highest;
    };
    EXPECT_GT(peak(0, 40), 8000);
    EXPECT_LT(peak(samples.size() - 60, samples.size()), 200);

    // The GUI's sound player finds it by the button's name for it.
    platform::NullAudioSink sink;
    SoundManager sounds;
    ASSERT_TRUE(sounds.Init(nullptr));
    Wizard wizard;
    wizard.Init(&sounds, false);
    {
        guiManager manager;
        EXPECT_TRUE(manager.PlayGuiSound(guiButton::kClickSound));
    }
    wizard.Shutdown();
}

TEST_F(GuiContentTest, TheScrollPicturesAreSixteenPixelsAcrossTheirBar)
{
    std::vector<std::string> names;
    for (const char* part : {"UpArrow", "DownArrow", "LeftArrow", "RightArrow"})
        for (const char* look : {"_N", "_R", "_C"})
            names.push_back(std::string("UI_Scroll") + part + look + ".bmp");
    for (const char* other :
         {"UI_ScrollSlider_N.bmp", "UI_ScrollHSlider_N.bmp", "UI_ScrollBack.bmp", "UI_ScrollHBack.bmp"})
        names.push_back(other);
    std::vector<std::vector<uint8_t>> looks;
    for (const std::string& name : names)
    {
        kaBMPImage image;
        ASSERT_TRUE(image.Load(m_Dir.File(std::string(guigen::kScrollFolder) + "/" + name))) << name;
        const bool horizontal =
            name.find("HSlider") != std::string::npos || name.find("HBack") != std::string::npos ||
            name.find("Left") != std::string::npos || name.find("Right") != std::string::npos;
        EXPECT_EQ(horizontal ? image.GetHeight() : image.GetWidth(), guigen::kScrollSide) << name;
        if (name.find("Slider") != std::string::npos)
        {
            EXPECT_EQ(horizontal ? image.GetWidth() : image.GetHeight(), guigen::kThumbLength) << name;
        }
        looks.emplace_back(image.GetPixels(), image.GetPixels() + image.GetWidth() * image.GetHeight() * 3);
    }
    // The three looks of each arrow, and the four arrows, all differ.
    for (std::size_t a = 0; a < 12; ++a)
        for (std::size_t b = a + 1; b < 12; ++b)
            EXPECT_NE(looks[a], looks[b]) << names[a] << " " << names[b];
}

TEST_F(GuiContentTest, TheTreeIconsAreNineSquareAndThePlusAddsAnUpright)
{
    std::vector<uint8_t> looks[2];
    int index = 0;
    for (const char* file : {guigen::kMinusIconFile, guigen::kPlusIconFile})
    {
        kaTGAImage icon;
        ASSERT_TRUE(icon.Load(m_Dir.File(file))) << file;
        EXPECT_EQ(icon.GetWidth(), guigen::kTreeIconSide);
        EXPECT_EQ(icon.GetHeight(), guigen::kTreeIconSide);
        looks[index++].assign(icon.GetPixels(), icon.GetPixels() + 9 * 9 * 4);
    }
    // Both have the bar across the middle row; only the plus has the centre column's pixel above it dark.
    auto blue = [](const std::vector<uint8_t>& texels, int x, int y) { return texels[(y * 9 + x) * 4]; };
    EXPECT_EQ(blue(looks[0], 2, 4), 0);
    EXPECT_EQ(blue(looks[1], 2, 4), 0);
    EXPECT_EQ(blue(looks[0], 4, 2), 255);
    EXPECT_EQ(blue(looks[1], 4, 2), 0);
    EXPECT_EQ(blue(looks[1], 1, 1), 255);
}

TEST_F(GuiContentTest, TheShowcaseWrittenReadAndWrittenAgainKeepsItsBytesInBothForms)
{
    const std::string text = Bytes(guigen::kShowcaseText);
    const std::string binary = Bytes(guigen::kShowcaseBinary);
    for (const char* names :
         {"[Window]", "[Image]", "[Lines]", "[Rectangle]", "[Cursor]", "[Proxy]", "[Placeholder]", "[Button]",
          "[CheckBox]", "[OptionGroup]", "[Group]", "[SplitFrame]", "[Border]", "[Caption]", "[Background]",
          "[Slider]", "[ScrollBar]", "[Scroller]", "[Text]", "[TextBox]"})
        EXPECT_NE(text.find(names), std::string::npos) << names;
    for (const char* names : {"[Grid]", "[ListBox]", "[TreeView]", "[DropDown]"})
        EXPECT_NE(text.find(names), std::string::npos) << names;
    EXPECT_NE(text.find("[DisplayBox]"), std::string::npos);
    for (const char* file : {guigen::kShowcaseText, guigen::kShowcaseBinary})
    {
        guiGlyph* read = gui::LoadLayout(file);
        ASSERT_NE(read, nullptr) << file;
        EXPECT_NE(read->FindChild("part box"), nullptr) << "the proxy embeds its part";
        EXPECT_EQ(gui::FormatLayout(*read, false), text) << file;
        EXPECT_EQ(gui::FormatLayout(*read, true), binary) << file;
        read->Release();
    }
}

TEST_F(GuiContentTest, TheProfilerWindowFindsItsLayoutThroughTheUiFolderAndShowsTheReport)
{
    kaFileSystem files;
    {
        ProfilerWindow missing;
        EXPECT_EQ(missing.GetTextBox(), nullptr) << "not found without the search folder";
    }
    files.AddSearchPath("ui");
    auto* window = new ProfilerWindow();
    window->AddRef();
    ASSERT_NE(window->GetTextBox(), nullptr);
    EXPECT_FALSE(window->GetTextBox()->IsEditable());
    EXPECT_TRUE(window->GetTextBox()->IsMultiLine());
    window->SetText("60.0 fps   0 triangles  0 triangles/second\n");
    EXPECT_EQ(window->GetTextBox()->GetText(), "60.0 fps   0 triangles  0 triangles/second\n");
    window->Release();
}

TEST_F(GuiContentTest, TheShowcasesWidgetsAndWindowAnswerTheMouse)
{
    for (const char* file : {guigen::kShowcaseText, guigen::kShowcaseBinary})
    {
        SCOPED_TRACE(file);
        testsupport::GuiDesk desk;
        guiGlyph* read = gui::LoadLayout(file);
        ASSERT_NE(read, nullptr);
        guiWindow* showcase = read->DynamicCast<guiWindow>();
        ASSERT_NE(showcase, nullptr);
        desk.manager.AddWindow(showcase);
        desk.manager.ActivateWindow(showcase);
        desk.Frame();
        auto* panel = static_cast<guiWindow*>(showcase->FindChild("panel window"));
        auto* check = static_cast<guiCheckBox*>(showcase->FindChild("check"));
        auto* options = static_cast<guiOptionGroup*>(showcase->FindChild("options"));
        ASSERT_NE(panel, nullptr);
        ASSERT_NE(check, nullptr);
        ASSERT_NE(options, nullptr);

        // The panel's grip drags it; its empty corner lets the mouse through.
        ASSERT_TRUE(panel->IsDraggable());
        const kaPoint start = panel->GetPixelPosition();
        desk.MoveTo(start.x + 60, start.y + 25);
        desk.Button(0, true);
        desk.MoveTo(start.x + 90, start.y + 45);
        desk.Button(0, false);
        EXPECT_EQ(Xy(panel->GetPixelPosition()), std::make_pair(start.x + 30, start.y + 20));
        const kaPoint moved = panel->GetPixelPosition();
        desk.MoveTo(moved.x + 3, moved.y + 95);
        desk.Button(0, true);
        desk.MoveTo(moved.x + 40, moved.y + 120);
        desk.Button(0, false);
        EXPECT_EQ(Xy(panel->GetPixelPosition()), Xy(moved)) << "nothing of the panel was under the press";

        // The check box and the options take clicks.
        const bool checked = check->IsChecked();
        desk.Click(120, 230);
        EXPECT_NE(check->IsChecked(), checked);
        EXPECT_EQ(options->GetSelection(), "second");
        desk.Click(160, 230);
        EXPECT_EQ(options->GetSelection(), "first");
        desk.manager.RemoveWindow(showcase);
    }
}

// The showcase damaged in every way a file can be: cut short at every length, bytes changed, counts made
// huge or negative, classes swapped. Each input must load (or not) quickly and draw once on the test
// device.
class ShowcaseFuzzTest : public GuiContentTest
{
protected:
    static constexpr int kMutations = 1000;
#if defined(__SANITIZE_ADDRESS__)
    // Under the sanitizers every input costs some twenty times more: every cut inside the first blocks, then
    // one length in eight, keeps the run within minutes while each block is still cut short somewhere.
    static constexpr std::size_t kWholeCutsUpTo = 512;
    static constexpr std::size_t kCutStride = 8;
    static constexpr double kSecondsPerInput = 10.0;
#else
    static constexpr std::size_t kWholeCutsUpTo = 0;
    static constexpr std::size_t kCutStride = 1;
    // A hang guard, not a speed measure: a loaded machine (CI, parallel builds) stalls a sound input for
    // a second now and then, while a runaway one takes far longer.
    static constexpr double kSecondsPerInput = 5.0;
#endif

    std::vector<std::string> Corpus() const
    {
        std::vector<std::string> corpus;
        for (const std::string& seed : {Bytes(guigen::kShowcaseText), Bytes(guigen::kShowcaseBinary)})
        {
            for (std::size_t length = 0; length < seed.size();
                 length += length < kWholeCutsUpTo ? 1 : kCutStride)
                corpus.push_back(seed.substr(0, length));
            std::mt19937 random(1234);
            auto pick = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
            const bool binary = seed[0] == 'B';
            const std::vector<std::string> counts = {"2147483647", "-2147483648", "-1", "99999", "0"};
            std::vector<std::string> classes = {
                "[Image]",       "[Lines]",  "[Rectangle]",  "[Cursor]",   "[Proxy]",
                "[Placeholder]", "[Glyph]",  "[Widget]",     "[Window]",   "[Button]",
                "[OptionGroup]", "[Group]",  "[SplitFrame]", "[Border]",   "[Caption]",
                "[Grid]",        "[ListBox]", "[TreeView]", "[DropDown]",
                "[Background]",  "[Slider]", "[ScrollBar]",  "[Scroller]", "[Text]", "[TextBox]"};
            classes.push_back("[DisplayBox]");
            std::vector<uint32_t> words = {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 1,  4,  14, 25, 26,
                                                 29,          11,          10,          21, 22, 9,  2,  3,
                                                 7,           13,          15,          24,
                                                 8,           12,          19,          28, 17, 18, 6, 20};
            words.push_back(5);
            for (int i = 0; i < kMutations; ++i)
            {
                std::string input = seed;
                const int kind = i % 3;
                if (kind == 0)
                {
                    for (int n = 1 + static_cast<int>(pick(4)); n > 0; --n)
                        input[1 + pick(input.size() - 1)] = static_cast<char>(random());
                }
                else if (binary)
                {
                    const uint32_t word = words[pick(words.size())];
                    const std::size_t at = 6 + pick(input.size() - 10);
                    for (int b = 0; b < 4; ++b)
                        input[at + b] = static_cast<char>(word >> (8 * b));
                }
                else if (kind == 1)
                {
                    // A number after a key is replaced.
                    std::size_t at = input.find(' ', pick(input.size()));
                    if (at == std::string::npos)
                        continue;
                    const std::size_t end = input.find_first_of(" \n", at + 1);
                    input.replace(at + 1, end - at - 1, counts[pick(counts.size())]);
                }
                else
                {
                    std::size_t at = input.find("\n[", pick(input.size()));
                    if (at == std::string::npos)
                        continue;
                    const std::size_t end = input.find('\n', at + 1);
                    input.replace(at + 1, end - at - 1, classes[pick(classes.size())]);
                }
                corpus.push_back(input);
            }
        }
        return corpus;
    }
};

TEST_F(ShowcaseFuzzTest, DamagedShowcasesLoadQuicklyAndDrawWithinAMemoryCap)
{
    const std::vector<std::string> corpus = Corpus();
    ASSERT_GT(corpus.size(), 2000u + 2 * kMutations);
    auto run = [this, &corpus]()
    {
        platform::ScriptedWindowBackend backend;
        platform::WindowClass windowClass;
        windowClass.procedure = &platform::DefWindowProc;
        windowClass.className = "GuiFuzz";
        platform::RegisterClass(windowClass);
        platform::WindowHandle window =
            platform::CreateWindow(0, "GuiFuzz", "Tarvolin", 0, 0, 0, 320, 240, nullptr, nullptr);
        auto* direct3D = new platform::TestDirect3D;
        const platform::Direct3DFactory previous = platform::SetDirect3DFactory(
            [direct3D]() -> platform::GfxDirect3D*
            {
                direct3D->AddRef();
                return direct3D;
            });
        const std::string config =
            m_Dir.Write("Tarvolin.cfg", "[Begin Graphics Config]\n[End Graphics Config]\n");
        bool ok = true;
        {
            kaGraphicsManager manager;
            ok = manager.Initialize(window, config.c_str(), nullptr, false) && manager.GetDevice() != nullptr;
            TestWindow drawer;
            for (std::size_t i = 0; i < corpus.size() && ok; ++i)
            {
                const auto start = std::chrono::steady_clock::now();
                // A new file each time: rewriting one file over and over waits for the disk.
                const std::string file = m_Dir.File("fuzz" + std::to_string(i) + ".kab");
                std::ofstream(file, std::ios::binary) << corpus[i];
                if (guiGlyph* root = gui::LoadLayout(file))
                {
                    root->AddRef();
                    root->CreateDeviceObjectsAll();
                    drawer.Frame(root);
                    root->SetOwnerWindow(nullptr);
                    root->Release();
                }
                gui::SetLayoutVersion(gui::kLayoutVersion);
                // The test device logs every call; thousands of frames of the showcase would fill the cap.
                if (auto* device = dynamic_cast<platform::TestDevice*>(manager.GetDevice()))
                    device->ClearLog();
                std::remove(file.c_str());
                const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
                ok = spent.count() < kSecondsPerInput;
            }
        }
        platform::SetDirect3DFactory(previous);
        direct3D->Release();
        return ok;
    };
    if (testsupport::MemoryLimitsWork())
        EXPECT_TRUE(testsupport::RunWithMemoryLimit(512u << 20, run));
    else
        EXPECT_TRUE(run());
}

} // namespace
