#include "engine/terrain/kaRotationOnlyMesh.h"

#include "engine/terrain/kaRotationOnlyView.h"

kaRotationOnlyMesh::kaRotationOnlyMesh(uint32_t fvf, uint32_t triangles, uint32_t vertices)
    : kaMesh(fvf, triangles, vertices, 1, false)
{
}

kaRotationOnlyMesh::kaRotationOnlyMesh(uint32_t fvf, uint32_t triangles, uint32_t vertices, uint32_t subsets)
    : kaMesh(fvf, triangles, vertices, subsets, false)
{
}

void kaRotationOnlyMesh::Render(uint32_t flag)
{
    const kaRotationOnlyView view;
    kaMesh::Render(flag);
}
