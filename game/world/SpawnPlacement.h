#pragma once

class kaEntityPhysical;
class kaWorld;

// Puts a vehicle on a world's "SpawnPoint" so that its lowest point, wheels included, rests at the spawn
// point's height, facing the spawn point's way. The course start, the reset key and the arena's respawn
// all place the car this way.
class SpawnPlacement
{
public:
    // False, the vehicle left alone, when the world has no spawn point of that name.
    static bool PlaceAtSpawnPoint(kaWorld& world, kaEntityPhysical& vehicle);
    // The lowest y of the vehicle's bounding box and of those of the entities jointed to it; the fallback
    // when the vehicle has no bounding box.
    static float LowestPoint(kaEntityPhysical& vehicle, float fallback);
};
