#pragma once

// Three floats as a KMF file stores them: a position, a normal, a texture or colour vertex.
struct KM_Point3
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    bool operator==(const KM_Point3& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const KM_Point3& o) const { return !(*this == o); }
};

static_assert(sizeof(KM_Point3) == 12, "stored as three packed floats");
