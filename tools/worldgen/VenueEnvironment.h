#pragma once

class TiXmlElement;

// The sky a new course gets with its venue: the "Sun" and "Skybox" the course editor reads from a venue
// record's data, keyed as a world file keys its own.
class VenueEnvironment
{
public:
    // Low in the sky, so that a new course's flares show from the arena floor.
    static constexpr float kSunPosition = 0.2f;
    static constexpr float kSunAxisTilt = 0.4f;
    static constexpr float kCloudHeight = 120.0f;
    static constexpr float kCloudSpeed = 0.3f;

    static void Append(TiXmlElement* venueData);
};
