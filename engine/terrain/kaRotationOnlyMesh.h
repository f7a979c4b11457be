#pragma once

#include "engine/model/kaMesh.h"

// A mesh drawn with the view's translation removed, so that it stays centred on the camera (the sky box
// and the cloud planes).
class kaRotationOnlyMesh : public kaMesh
{
public:
    kaRotationOnlyMesh(uint32_t fvf, uint32_t triangles, uint32_t vertices);
    kaRotationOnlyMesh(uint32_t fvf, uint32_t triangles, uint32_t vertices, uint32_t subsets);

    void Render(uint32_t flag) override;
};
