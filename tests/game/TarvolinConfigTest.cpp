#include "engine/core/Wizard.h"
#include "game/app/Tarvolin.h"
#include "tests/support/game/InstallFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace
{

constexpr const char* kFile = "Tarvolin.cfg";

const std::string kSection = "[Begin Tarvolin Config]\n"
                             "VisualEffects=2\n"
                             "PixelShaderEffects=0\n"
                             "VertexShaderEffects=0\n"
                             "SoundVolume=-1500\n"
                             "MusicVolume=-300\n"
                             "MusicMuted=0\n"
                             "InterfaceMusicMuted=0\n"
                             "DefaultCam=\n"
                             "SoundMuted=1\n"
                             "Console=1\n"
                             "HeightmapDir=Maps\n"
                             "TexturemapDir=\n"
                             "[End Tarvolin Config]\n";

const std::string kGraphics = "[Begin Graphics Config]\nFullScreen=0\n[End Graphics Config]\n";
const std::string kFonts = "[Begin Font Config]\nFont=bar10m\n[End Font Config]\n";

} // namespace

class TarvolinConfigTest : public ::testing::Test
{
protected:
    gametest::InstallFolder m_Install;
    Wizard m_Wizard;
};

TEST_F(TarvolinConfigTest, LinesSetTheirValues)
{
    struct Case
    {
        const char* line;
        std::function<std::string(const Tarvolin&)> read;
        std::string expected;
    };
    auto sound = [](const Tarvolin& app) { return std::to_string(app.GetSoundVolume()); };
    auto heightmaps = [](const Tarvolin& app) { return app.GetHeightmapFolder(); };
    const Case cases[] = {
        {"SoundVolume = 7\n", sound, "7"},
        {"SoundVolume,7\n", sound, "7"},
        {"SoundVolume=-1500\n", sound, "-1500"},
        {"SoundVolume=99999999999\n", sound, std::to_string(INT_MAX)},
        {"SoundVolume=-99999999999\n", sound, std::to_string(INT_MIN)},
        {"SoundVolume=12dB\n", sound, "12"},
        {"SoundVolume=loud\n", sound, "0"},
        {"SoundVolume\n", sound, "-40"},
        {"soundvolume=7\n", sound, "-40"},
        {"HeightmapDir=My Maps\n", heightmaps, "My"},
        {"MusicVolume=-200\n", [](const Tarvolin& app) { return std::to_string(app.GetMusicVolume()); },
         "-200"},
        {"VisualEffects=0\n", [](const Tarvolin& app) { return std::to_string(app.GetVisualEffects()); },
         "0"},
        {"DefaultCam=2\n", [](const Tarvolin& app) { return std::string(1, app.GetDefaultCamera()); }, "2"},
        {"Console=0\n", [](const Tarvolin& app) { return std::to_string(app.IsConsoleEnabled()); }, "0"},
        {"InterfaceMusicMuted=5\n",
         [](const Tarvolin& app) { return std::to_string(app.IsInterfaceMusicMuted()); }, "1"},
        {"TexturemapDir=Tex,ignored\n", [](const Tarvolin& app) { return app.GetTexturemapFolder(); }, "Tex"},
    };
    for (const Case& c : cases)
    {
        Tarvolin app;
        app.ParseConfigLine("SoundVolume=-40\n");
        app.ParseConfigLine(c.line);
        EXPECT_EQ(c.read(app), c.expected) << c.line;
    }
}

TEST_F(TarvolinConfigTest, OnlyTheExactSectionIsRead)
{
    struct Case
    {
        std::string file;
        int32_t volume;
    };
    const Case cases[] = {
        {kGraphics + "[Begin Tarvolin Config]\nSoundVolume=5\n[End Tarvolin Config]\nSoundVolume=9\n", 5},
        {"[begin tarvolin config]\nSoundVolume=5\n[End Tarvolin Config]\n", 0},
        {"[Begin Tarvolin Config]\r\nSoundVolume=5\r\n", 5},
        {"SoundVolume=5\n", 0},
        {"[Begin Tarvolin Config]\nMusicVolume=1\n[End Tarvolin Config] \nSoundVolume=5\n", 5},
    };
    for (const Case& c : cases)
    {
        m_Install.dir.Write(kFile, c.file);
        Tarvolin app;
        app.LoadConfig(kFile);
        EXPECT_EQ(app.GetSoundVolume(), c.volume) << c.file;
    }
}

TEST_F(TarvolinConfigTest, SavingRewritesOnlyTheSection)
{
    struct Case
    {
        std::string before;
        std::string after;
    };
    const Case cases[] = {
        {kGraphics + "[Begin Tarvolin Config]\nSoundVolume=1\n[End Tarvolin Config]\n" + kFonts,
         kGraphics + kSection + kFonts},
        {kGraphics + kFonts, kGraphics + kFonts + kSection},
        // A section that lost its end marker ends where the next section begins.
        {kGraphics + "[Begin Tarvolin Config]\nSoundVolume=1\n" + kFonts, kGraphics + kSection + kFonts},
        {"", kSection},
        // The user's last line had no line feed: it stays the user's own line.
        {"user=keep", "user=keep\n" + kSection},
    };
    for (const Case& c : cases)
    {
        if (!c.before.empty())
            m_Install.dir.Write(kFile, c.before);
        Tarvolin app;
        app.ParseConfigLine("SoundVolume=-1500");
        app.ParseConfigLine("MusicVolume=-300");
        app.ParseConfigLine("SoundMuted=1");
        app.ParseConfigLine("HeightmapDir=Maps");
        ASSERT_TRUE(app.SaveConfig(kFile));
        EXPECT_EQ(m_Install.dir.Read(kFile), c.after);
        m_Install.dir.Write(kFile, "");
    }
}

TEST_F(TarvolinConfigTest, SavedValuesLoadBackAndCameraCodeZeroKeepsTheNextLine)
{
    m_Install.dir.Write(kFile,
                        "[Begin Tarvolin Config]\nDefaultCam=" + std::string(1, '\0') + "\nSoundMuted=1\n");
    {
        Tarvolin app;
        app.LoadConfig(kFile);
        EXPECT_EQ(app.GetDefaultCamera(), 0);
        app.ParseConfigLine("SoundVolume=-1500");
        ASSERT_TRUE(app.SaveConfig(kFile));
    }
    const std::string saved = m_Install.dir.Read(kFile);
    EXPECT_NE(saved.find("\nDefaultCam=\nSoundMuted=1\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.find('\0'), std::string::npos);
    m_Wizard.SetMuted(false);
    Tarvolin app;
    app.LoadConfig(kFile);
    EXPECT_EQ(app.GetDefaultCamera(), 0);
    EXPECT_EQ(app.GetSoundVolume(), -1500);
    EXPECT_TRUE(m_Wizard.IsMuted());
}
