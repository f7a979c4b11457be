#include "tools/worldgen/VenueEnvironment.h"

#include "tools/terraingen/EnvironmentContent.h"
#include "tools/worldgen/WorldKeys.h"

void VenueEnvironment::Append(TiXmlElement* venueData)
{
    TiXmlElement* sun = WorldKeys::AppendSun(
        venueData, {kSunPosition, kSunAxisTilt, 0.6f, {1.0f, 0.9f, 0.75f}, {0.45f, 0.45f, 0.5f}});
    WorldKeys::AppendFlares(
        sun, {{EnvironmentContent::kFlareGlow, 1.5f, 1.0f}, {EnvironmentContent::kFlareRing, -0.8f, 1.2f}});
    WorldKeys::AppendCloudPlane(WorldKeys::AppendSkybox(venueData), kCloudHeight, kCloudSpeed);
}
