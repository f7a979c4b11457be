#pragma once

#include "engine/model/StripGroup.h"

#include <cstdint>
#include <vector>

// Triangle-strip building for the post-transform vertex cache. The settings are process-wide and
// read by every following build.

void SetStripCacheSize(unsigned int size);      // default 16
void SetStripStitching(bool stitch);            // default true: all strips joined into one
void SetStripListsOnly(bool listsOnly);         // default false
void SetStripMinLength(unsigned int minLength); // default 0: shorter strips go to a trailing list

// Strips (or, with lists only, one reordered list) covering every triangle of the list once.
// Triangles with a repeated vertex are left out; no triangles give no groups.
std::vector<StripGroup> BuildTriangleStrips(const uint16_t* indices, uint32_t indexCount);

// The groups with their vertices renumbered 0, 1, 2 ... in order of first use. oldToNew, when given,
// receives the map (vertexCount entries, -1 for vertices never used) by which to reorder the
// vertices. An index at or past vertexCount gives no groups and an empty map.
std::vector<StripGroup> RemapStripIndices(const std::vector<StripGroup>& groups, uint32_t vertexCount,
                                          std::vector<int>* oldToNew = nullptr);
