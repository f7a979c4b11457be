#include "tools/worldgen/VenueEnvironment.h"

#include "engine/core/kaXmlHelpers.h"
#include "tools/terraingen/EnvironmentContent.h"

#include <tinyxml.h>

#include <string>

void VenueEnvironment::Append(TiXmlElement* venueData)
{
    const std::string pictures = EnvironmentContent::kBillboardFolder;
    TiXmlElement* sun = AppendElement(venueData, "Sun");
    AppendFloatElement(sun, "position", kSunPosition);
    AppendFloatElement(sun, "axistilt", kSunAxisTilt);
    AppendTextElement(sun, "texture", pictures + EnvironmentContent::kSunDisc);
    AppendFloatElement(sun, "scale", 0.6f);
    AppendFloatElement(sun, "reddirectional", 1.0f);
    AppendFloatElement(sun, "greendirectional", 0.9f);
    AppendFloatElement(sun, "bluedirectional", 0.75f);
    AppendFloatElement(sun, "redambient", 0.45f);
    AppendFloatElement(sun, "greenambient", 0.45f);
    AppendFloatElement(sun, "blueambient", 0.5f);
    TiXmlElement* layers = AppendElement(sun, "lensFlareLayers");
    const struct
    {
        const char* picture;
        float length, scale;
    } flares[] = {{EnvironmentContent::kFlareGlow, 1.5f, 1.0f},
                  {EnvironmentContent::kFlareRing, -0.8f, 1.2f}};
    for (const auto& flare : flares)
    {
        TiXmlElement* layer = AppendElement(layers, "FlareLayer");
        AppendTextElement(layer, "texture", pictures + flare.picture);
        AppendFloatElement(layer, "length", flare.length);
        AppendFloatElement(layer, "scale", flare.scale);
    }

    const std::string sky = EnvironmentContent::kSkyFolder;
    const char* const faces[] = {"left", "right", "forward", "back", "top"};
    TiXmlElement* box = AppendElement(venueData, "Skybox");
    for (size_t face = 0; face < 5; ++face)
        AppendTextElement(box, faces[face], sky + EnvironmentContent::kSkyFaces[face]);
    TiXmlElement* cloud = AppendElement(box, "Cloudplane");
    AppendTextElement(cloud, "texture", sky + EnvironmentContent::kClouds);
    AppendFloatElement(cloud, "height", kCloudHeight);
    AppendFloatElement(cloud, "speed", kCloudSpeed);
}
