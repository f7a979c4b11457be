#pragma once

#include <cstdint>

// One record per fixed-function vertex format that has a buffer class. Each names its format code; the
// layout follows the format's order: position, normal, diffuse colour, texture-coordinate sets.

struct VERTEX_WORLDPOS
{
    static constexpr uint32_t FVF = 0x002;
    float x, y, z;
};

struct VERTEX_WORLDPOS_NORMAL
{
    static constexpr uint32_t FVF = 0x012;
    float x, y, z;
    float nx, ny, nz;
};

struct VERTEX_WORLDPOS_DIFFUSE
{
    static constexpr uint32_t FVF = 0x042;
    float x, y, z;
    uint32_t diffuse;
};

struct VERTEX_SCREENPOS_DIFFUSE
{
    static constexpr uint32_t FVF = 0x044;
    float x, y, z, rhw;
    uint32_t diffuse;
};

struct VERTEX_WORLDPOS_NORMAL_DIFFUSE
{
    static constexpr uint32_t FVF = 0x052;
    float x, y, z;
    float nx, ny, nz;
    uint32_t diffuse;
};

template <uint32_t Sets> struct kaVertexUVSets
{
    float uv[Sets][2];
};

template <uint32_t Sets> struct VERTEX_WORLDPOS_UVN
{
    static constexpr uint32_t FVF = 0x002 | Sets << 8;
    float x, y, z;
    kaVertexUVSets<Sets> tex;
};

template <uint32_t Sets> struct VERTEX_WORLDPOS_NORMAL_UVN
{
    static constexpr uint32_t FVF = 0x012 | Sets << 8;
    float x, y, z;
    float nx, ny, nz;
    kaVertexUVSets<Sets> tex;
};

template <uint32_t Sets> struct VERTEX_WORLDPOS_DIFFUSE_UVN
{
    static constexpr uint32_t FVF = 0x042 | Sets << 8;
    float x, y, z;
    uint32_t diffuse;
    kaVertexUVSets<Sets> tex;
};

template <uint32_t Sets> struct VERTEX_WORLDPOS_NORMAL_DIFFUSE_UVN
{
    static constexpr uint32_t FVF = 0x052 | Sets << 8;
    float x, y, z;
    float nx, ny, nz;
    uint32_t diffuse;
    kaVertexUVSets<Sets> tex;
};

struct VERTEX_SCREENPOS_DIFFUSE_UV
{
    static constexpr uint32_t FVF = 0x144;
    float x, y, z, rhw;
    uint32_t diffuse;
    float u, v;
};

using VERTEX_WORLDPOS_UV = VERTEX_WORLDPOS_UVN<1>;
using VERTEX_WORLDPOS_NORMAL_UV = VERTEX_WORLDPOS_NORMAL_UVN<1>;
// World position, diffuse colour and one texture set: the screen batches' format.
using VERTEX_WORLDPOS_DIFFUSE_UV = VERTEX_WORLDPOS_DIFFUSE_UVN<1>;
using VERTEX_WORLDPOS_NORMAL_DIFFUSE_UV = VERTEX_WORLDPOS_NORMAL_DIFFUSE_UVN<1>;

static_assert(sizeof(VERTEX_WORLDPOS_DIFFUSE_UV) == 24, "vertex records are packed floats and colours");
static_assert(sizeof(VERTEX_WORLDPOS_NORMAL_DIFFUSE_UVN<4>) == 60,
              "vertex records are packed floats and colours");
