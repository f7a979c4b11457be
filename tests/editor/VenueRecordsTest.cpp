#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <tinyxml.h>

#include <string>

using testsupport::HeadlessGame;

namespace
{

void ExpectFile(const TiXmlElement* parent, const char* key, const std::string& venue)
{
    const std::string path = GetChildElementText(key, parent);
    EXPECT_FALSE(path.empty()) << venue << " " << key;
    EXPECT_FALSE(ResolvePath(path).empty()) << venue << " " << path;
}

void ExpectNumbers(const TiXmlElement* parent, std::initializer_list<const char*> keys,
                   const std::string& venue)
{
    for (const char* key : keys)
    {
        const std::string text = GetChildElementText(key, parent);
        EXPECT_FALSE(text.empty()) << venue << " " << key;
        EXPECT_NO_THROW(ka::lexical_cast<float>(text)) << venue << " " << key << " " << text;
    }
}

} // namespace

// A new course takes its sun and sky from its venue's record: every generated venue has them, naming
// pictures the install holds.
TEST(VenueRecordsTest, EveryVenueHasASunWithFlaresAndASkyBoxWithClouds)
{
    HeadlessGame game;
    ASSERT_TRUE(game.Start());
    const kaInitDataTable* venues = g_pInitDataBase->GetTable("Venue");
    ASSERT_NE(venues, nullptr);
    ASSERT_FALSE(venues->empty());
    for (const auto& venue : *venues)
    {
        const TiXmlElement* data = venue.second->GetData();
        const TiXmlElement* sun = data->FirstChildElement("Sun");
        ASSERT_NE(sun, nullptr) << venue.first;
        ExpectNumbers(sun,
                      {"position", "axistilt", "scale", "reddirectional", "greendirectional",
                       "bluedirectional", "redambient", "greenambient", "blueambient"},
                      venue.first);
        ExpectFile(sun, "texture", venue.first);
        const TiXmlElement* layers = sun->FirstChildElement("lensFlareLayers");
        ASSERT_NE(layers, nullptr) << venue.first;
        int flares = 0;
        for (const TiXmlElement* layer = layers->FirstChildElement("FlareLayer"); layer != nullptr;
             layer = layer->NextSiblingElement("FlareLayer"), ++flares)
        {
            ExpectFile(layer, "texture", venue.first);
            ExpectNumbers(layer, {"length", "scale"}, venue.first);
        }
        EXPECT_GT(flares, 0) << venue.first;

        const TiXmlElement* sky = data->FirstChildElement("Skybox");
        ASSERT_NE(sky, nullptr) << venue.first;
        for (const char* face : {"left", "right", "forward", "back", "top"})
            ExpectFile(sky, face, venue.first);
        const TiXmlElement* clouds = sky->FirstChildElement("Cloudplane");
        ASSERT_NE(clouds, nullptr) << venue.first;
        ExpectFile(clouds, "texture", venue.first);
        ExpectNumbers(clouds, {"height", "speed"}, venue.first);
    }
}
