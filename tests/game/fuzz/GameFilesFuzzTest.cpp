#include "engine/core/InputManager.h"
#include "game/app/Tarvolin.h"
#include "game/records/ShopItem.h"
#include "game/records/tvPlayer.h"
#include "game/vehicles/CarInfo.h"
#include "game/world/WorldInfo.h"
#include "tests/support/DeepXml.h"
#include "tests/support/game/ScriptedInput.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <random>

// The replacement pair below allocates with malloc and frees with free; the compiler cannot see that.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Every allocation of this program passes here, so that a loader asking for memory out of proportion
// to its file shows.
namespace
{
std::atomic<size_t> g_Largest{0};
std::atomic<size_t> g_Total{0};
} // namespace

void* operator new(size_t size)
{
    g_Total += size;
    size_t largest = g_Largest.load();
    while (size > largest && !g_Largest.compare_exchange_weak(largest, size))
    {
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, size_t) noexcept
{
    std::free(memory);
}

namespace
{

constexpr int kMutationsPerFile = 150;
constexpr int kDeepNesting = 100000;

struct FileKind
{
    const char* name;
    const char* path;
    std::string seed;
};

const FileKind kKinds[] = {
    {"profile", "Players/Player0.xml",
     "<player><playerName>Ace</playerName><totalRepPoints>5</totalRepPoints><courseRuns>-3</courseRuns>"
     "<highScores><score><name>Worlds\\a.xml</name><score>100</score></score></highScores>"
     "<unlocked><stuntname>Charger</stuntname></unlocked></player>"},
    {"high scores", "Data/HighScores.xml",
     "<highScores><highScore><mapPath>Worlds\\a.xml</mapPath><player>Ace</player><score>900</score>"
     "</highScore></highScores>"},
    {"controls", "data/controls.xml",
     "<controls><device><index>1</index><name>Keyboard</name><control><code>0</code><name>W</name>"
     "<action>6</action><range>2</range><player>0</player></control></device></controls>"},
    {"configuration", "Tarvolin.cfg",
     "[Begin Graphics Config]\nFullScreen=0\n[End Graphics Config]\n[Begin Tarvolin Config]\n"
     "SoundVolume=-1500\nDefaultCam=1\nHeightmapDir=Maps\nPixelShaderEffects=3\n[End Tarvolin Config]\n"},
    {"vehicle", "Data/car.xml",
     "<vehicles><initID>Charger</initID><imagefile>ui/c.bmp</imagefile></vehicles>"},
    {"shop item", "Data/item.xml",
     "<ShopItem><name>Ramp</name><preview_image>p.bmp</preview_image><locked_entity>Plate</locked_entity>"
     "<price>25</price></ShopItem>"},
    {"world head", "Worlds/one.xml",
     "<World><name>One</name><Designer>Kim</Designer><scoreLimit>1500</scoreLimit><arena>Bowl</arena>"
     "<Terrain><size>64</size></Terrain></World>"},
    {"song list", "Music/Theme/song.xml",
     "<song><name>Theme</name><stream>1</stream><loop><file>a.ogg</file>"
     "</loop></song>"},
};

// Damaged copies of a seed: every truncation, then random changes of a few bytes each.
std::vector<std::string> Variants(const std::string& seed)
{
    std::vector<std::string> variants;
    for (size_t length = 0; length < seed.size(); ++length)
        variants.push_back(seed.substr(0, length));
    static const std::string kPieces[] = {
        "<",  ">", "/", "</", "<a>",  "\"",       "&", "&#x0;", "-", "99999999999", std::string(1, '\0'),
        "\n", "]", "=", " ",  "<!--", "<![CDATA["};
    std::mt19937 random(static_cast<uint32_t>(seed.size()));
    for (int i = 0; i < kMutationsPerFile; ++i)
    {
        std::string variant = seed;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int c = 0; c < changes && !variant.empty(); ++c)
        {
            const size_t at = random() % variant.size();
            switch (random() % 4)
            {
            case 0:
                variant[at] = static_cast<char>(random() % 256);
                break;
            case 1:
                variant.insert(at, kPieces[random() % (sizeof kPieces / sizeof kPieces[0])]);
                break;
            case 2:
                variant.erase(at, 1 + random() % 8);
                break;
            default:
                variant.insert(at, variant.substr(at, 1 + random() % 16));
                break;
            }
        }
        variants.push_back(variant);
    }
    variants.push_back(testsupport::DeepXml("a", kDeepNesting));
    return variants;
}

} // namespace

class GameFilesFuzzTest : public ::testing::Test
{
protected:
    // Hands every damaged copy of the kind's file to the loader and checks what it asked of memory.
    void Fuzz(const FileKind& kind, const std::function<void()>& load)
    {
        for (const std::string& variant : Variants(kind.seed))
        {
            m_Install.dir.Write(kind.path, variant);
            g_Largest = 0;
            g_Total = 0;
            load();
            const size_t bound = (1u << 20) + 256 * variant.size();
            EXPECT_LE(g_Largest.load(), bound) << kind.name << ": " << variant.substr(0, 200);
            EXPECT_LE(g_Total.load(), bound) << kind.name << ": " << variant.substr(0, 200);
        }
    }

    gametest::InstallFolder m_Install;
};

TEST_F(GameFilesFuzzTest, DamagedFilesLoadOrFailCleanly)
{
    gametest::AttachedDevices devices({gametest::Mouse(), gametest::Keyboard()});
    Tarvolin app;
    app.InitInput();
    const std::function<void()> loaders[] = {
        [] { tvPlayer().Load("Players\\Player0.xml"); },
        [&app] { app.LoadHighScores(); },
        [&app]
        {
            app.GetInputManager()->ClearBindings();
            app.LoadControls();
        },
        [&app] { app.LoadConfig("Tarvolin.cfg"); },
        [] { CarInfo().Load("Data\\car.xml"); },
        [] { ShopItem().Load("Data\\item.xml"); },
        [] { WorldInfo().Load("Worlds\\one.xml"); },
        [&app] { app.ScanMusic("Music"); },
    };
    for (size_t i = 0; i < sizeof kKinds / sizeof kKinds[0]; ++i)
        Fuzz(kKinds[i], loaders[i]);
}
