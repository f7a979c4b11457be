#include "engine/terrain/kaAStarPathManager.h"

#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWorld.h"

#include <algorithm>
#include <bitset>
#include <cmath>

namespace
{

kaEntity* MakePathManager()
{
    return new kaAStarPathManager();
}

void ResetGrid(kaEntity& manager)
{
    if (auto* grid = dynamic_cast<kaAStarPathManager*>(&manager))
        grid->BuildGrid({});
}

// Installed before the program's entry, so every world made afterwards has its grid.
const bool s_Installed =
    (kaWorld::SetPathManagerCreator(&MakePathManager), kaWorld::SetPathGridReset(&ResetGrid), true);

// A coordinate's cell as the grid counts, in unsigned cells: a negative coordinate (from -1 down), one that
// is not a number and one past 32 bits all lie far beyond the last cell.
constexpr int64_t kFarCell = int64_t(1) << 40;

int64_t CellOf(float coordinate)
{
    if (!(coordinate > -1.0f) || !(coordinate < 4294967296.0f))
        return kFarCell;
    return int64_t(uint32_t(coordinate)) / int64_t(kaAStarPathManager::kCellSize);
}

// Which neighbours a node at (column, row) has.
uint8_t NeighbourBits(uint32_t column, uint32_t row)
{
    uint8_t bits = 0xFF;
    if (column == 0)
        bits &= 214;
    if (column == kaAStarPathManager::kLastCell)
        bits &= 107;
    if (row == 0)
        bits &= 248;
    if (row == kaAStarPathManager::kLastCell)
        bits &= 31;
    return bits;
}

} // namespace

kaAStarPathManager::kaAStarPathManager() : kaSingleton<kaAStarPathManager>(this) {}

kaAStarPathManager::~kaAStarPathManager() = default;

kaAStarPathManager* kaAStarPathManager::For(const kaEntity* entity)
{
    kaWorld* world = entity ? entity->GetWorld() : nullptr;
    if (world)
        return dynamic_cast<kaAStarPathManager*>(world->GetPathManager());
    return GetSingleton();
}

void kaAStarPathManager::BuildGrid(const std::vector<uint8_t>& types)
{
    m_TypeTable = {0, 1};
    m_TypeTable.insert(m_TypeTable.end(), types.begin(), types.end());
    m_LayerCount = uint32_t(m_TypeTable.size());
    m_Nodes.assign(size_t(kGridSide) * kGridSide, Node());
    for (uint32_t row = 0; row < kGridSide; ++row)
        for (uint32_t column = 0; column < kGridSide; ++column)
        {
            Node& node = _At(column, row);
            node.x = float(column * kCellSize + kCellSize / 2);
            node.z = float(row * kCellSize + kCellSize / 2);
            node.neighbours = NeighbourBits(column, row);
            node.neighbourCount = uint8_t(std::bitset<8>(node.neighbours).count());
            node.layers.assign(m_LayerCount, 0);
            node.layers[0] = 1;
            node.index = row * kGridSide + column;
        }
}

const kaAStarPathManager::Node* kaAStarPathManager::GetNode(uint32_t column, uint32_t row) const
{
    if (m_Nodes.empty() || column >= kGridSide || row >= kGridSide)
        return nullptr;
    return &m_Nodes[size_t(row) * kGridSide + column];
}

bool kaAStarPathManager::_Cells(uint32_t layer, float x1, float z1, float x2, float z2, int32_t grow,
                                Cells& cells) const
{
    if (m_Nodes.empty() || layer >= m_LayerCount || std::isnan(x1) || std::isnan(z1) || std::isnan(x2) ||
        std::isnan(z2))
        return false;
    int64_t minX = CellOf(std::min(x1, x2)) - grow;
    int64_t maxX = CellOf(std::max(x1, x2)) + grow;
    int64_t minZ = CellOf(std::min(z1, z2)) - grow;
    int64_t maxZ = CellOf(std::max(z1, z2)) + grow;
    if (maxX < 0 || maxZ < 0)
        return false;
    minX = std::max<int64_t>(minX, 0);
    minZ = std::max<int64_t>(minZ, 0);
    if (minX > kLastCell || minZ > kLastCell)
        return false;
    cells.minX = uint32_t(minX);
    cells.minZ = uint32_t(minZ);
    cells.maxX = uint32_t(std::min<int64_t>(maxX, kLastCell));
    cells.maxZ = uint32_t(std::min<int64_t>(maxZ, kLastCell));
    return true;
}

bool kaAStarPathManager::FillRect(uint32_t layer, float x1, float z1, float x2, float z2, uint8_t value)
{
    Cells cells;
    if (!_Cells(layer, x1, z1, x2, z2, 0, cells))
        return false;
    for (uint32_t row = cells.minZ; row <= cells.maxZ; ++row)
        for (uint32_t column = cells.minX; column <= cells.maxX; ++column)
            _At(column, row).layers[layer] = value;
    return true;
}

bool kaAStarPathManager::FillRect(uint32_t layer, const platform::Vector3& boxMin,
                                  const platform::Vector3& boxMax, uint8_t value)
{
    return FillRect(layer, boxMin.x, boxMin.z, boxMax.x, boxMax.z, value);
}

template <typename Visit> void kaAStarPathManager::_ForEachBorderNode(const Cells& cells, Visit visit)
{
    for (uint32_t row = cells.minZ; row <= cells.maxZ; ++row)
    {
        visit(_At(cells.minX, row));
        visit(_At(cells.maxX, row));
    }
    for (uint32_t column = cells.minX; column <= cells.maxX; ++column)
    {
        visit(_At(column, cells.minZ));
        visit(_At(column, cells.maxZ));
    }
}

bool kaAStarPathManager::OutlineRect(uint32_t layer, float x1, float z1, float x2, float z2, uint8_t value,
                                     bool grow)
{
    Cells cells;
    if (!_Cells(layer, x1, z1, x2, z2, grow ? 1 : 0, cells))
        return false;
    _ForEachBorderNode(cells, [layer, value](Node& node) { node.layers[layer] = value; });
    return true;
}

bool kaAStarPathManager::OutlineRect(uint32_t layer, const platform::Vector3& boxMin,
                                     const platform::Vector3& boxMax, uint8_t value, bool grow)
{
    return OutlineRect(layer, boxMin.x, boxMin.z, boxMax.x, boxMax.z, value, grow);
}

bool kaAStarPathManager::OutlineUnless(uint32_t layer, float x1, float z1, float x2, float z2, uint8_t value,
                                       uint8_t unless, int32_t grow)
{
    Cells cells;
    if (!_Cells(layer, x1, z1, x2, z2, grow == 1 ? 1 : 0, cells))
        return false;
    _ForEachBorderNode(cells,
                       [layer, value, unless](Node& node)
                       {
                           for (uint32_t below = layer; below-- > 0;)
                           {
                               const uint8_t held = node.layers[below];
                               if (held == kUnmarked || held == kAlsoUnmarked)
                                   continue;
                               if (held != unless)
                                   node.layers[layer] = value;
                               return;
                           }
                           node.layers[layer] = value;
                       });
    return true;
}

bool kaAStarPathManager::OutlineUnless(uint32_t layer, const platform::Vector3& boxMin,
                                       const platform::Vector3& boxMax, uint8_t value, uint8_t unless,
                                       int32_t grow)
{
    return OutlineUnless(layer, boxMin.x, boxMin.z, boxMax.x, boxMax.z, value, unless, grow);
}

bool kaAStarPathManager::SpreadToNeighbours(uint32_t layer, float x1, float z1, float x2, float z2,
                                            uint8_t match, uint8_t value)
{
    Cells cells;
    if (!_Cells(layer, x1, z1, x2, z2, 0, cells))
        return false;
    struct Step
    {
        uint8_t threshold;
        int32_t dx, dz;
    };
    static constexpr Step kSteps[8] = {{128, 1, 1}, {64, 0, 1}, {32, -1, 1}, {16, 1, 0},
                                       {8, -1, 0},  {4, 1, -1}, {2, 0, -1},  {1, -1, -1}};
    for (uint32_t row = cells.minZ; row <= cells.maxZ; ++row)
        for (uint32_t column = cells.minX; column <= cells.maxX; ++column)
        {
            const Node& node = _At(column, row);
            if (node.layers[layer] != match)
                continue;
            for (const Step& step : kSteps)
            {
                if (node.neighbours < step.threshold)
                    continue;
                // High sides are the rectangle's, low sides the grid's; the first one met ends the visit.
                if ((step.dx > 0 && column == cells.maxX) || (step.dx < 0 && column == 0) ||
                    (step.dz > 0 && row == cells.maxZ) || (step.dz < 0 && row == 0))
                    break;
                uint8_t& held =
                    _At(uint32_t(int32_t(column) + step.dx), uint32_t(int32_t(row) + step.dz)).layers[layer];
                if (held == kUnmarked || held == kAlsoUnmarked)
                    held = value;
            }
        }
    return true;
}

bool kaAStarPathManager::FillByHeight(uint32_t layer, float x1, float z1, float x2, float z2, float height,
                                      uint8_t value, bool atOrBelow)
{
    kaWorld* world = GetWorld();
    const kaTerrainBase* terrain = world ? world->GetTerrain() : nullptr;
    Cells cells;
    if (!terrain || !_Cells(layer, x1, z1, x2, z2, 0, cells))
        return false;
    for (uint32_t row = cells.minZ; row <= cells.maxZ; ++row)
        for (uint32_t column = cells.minX; column <= cells.maxX; ++column)
        {
            Node& node = _At(column, row);
            const float ground = terrain->GetHeightAt(node.x, node.z);
            if (atOrBelow ? ground <= height : ground > height)
                node.layers[layer] = value;
        }
    return true;
}
