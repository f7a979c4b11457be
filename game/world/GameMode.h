#pragma once

#include <cstdint>

// What a course run is for, chosen on the career screen; the world's rules and the screens read it. The values
// are stored and compared as signed 32-bit numbers.
enum GameMode : int32_t
{
    // No time limit, no damage, no countdown: straight onto the HUD.
    kPracticeMode = 0,
    // A chosen course against its target, through the preview.
    kExhibitionMode = 1,
    // The career's next level: as exhibition, and the run pays reputation.
    kCareerMode = 2,
    // A world no run has given a mode yet (the editor's, or one being loaded).
    kUnsetGameMode = 3,
};
