#pragma once

class TiXmlElement;

// The game's surfaces and the game's wheel particles they throw: the dirt track of the game's venues
// sprays dust as a wheel rolls and kicks it out as it slips; mud throws clods and kicks dirt.
class GameSurfaces
{
public:
    static constexpr const char* kTrack = "Track";
    static constexpr const char* kMud = "Mud";
    // Spray thrown up as a wheel rolls over the track.
    static constexpr const char* kTrackSpray = "TrackSpray";
    // Clods thrown up from mud, falling back.
    static constexpr const char* kMudClods = "MudClods";
    // Dust pushed out by a slipping wheel, the harder the more it slips.
    static constexpr const char* kDirtKick = "DirtKick";

    // The three particle records and the two materials that name them.
    static void Append(TiXmlElement* root);
};
