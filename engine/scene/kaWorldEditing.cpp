// Editor operations on the environment.
#include "engine/scene/kaWorld.h"

#include "engine/scene/kaQuadTree.h"
#include "engine/scene/kaSkyBoxBase.h"
#include "engine/scene/kaSunBase.h"
#include "engine/scene/kaTerrainBase.h"

#include "platform/system/DebugOutput.h"

#include <chrono>

namespace
{

// The debugger line of a timed editor operation: its tag and the seconds it took.
class LoadingTimer
{
public:
    explicit LoadingTimer(const char* tag) : m_Tag(tag), m_Start(std::chrono::steady_clock::now()) {}
    ~LoadingTimer()
    {
        const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - m_Start;
        platform::OutputDebugString(std::string("RotateLoading() ") + m_Tag + ": " +
                                    std::to_string(taken.count()) + "\n");
    }
    LoadingTimer(const LoadingTimer&) = delete;
    LoadingTimer& operator=(const LoadingTimer&) = delete;

private:
    const char* m_Tag;
    std::chrono::steady_clock::time_point m_Start;
};

} // namespace

void kaWorld::NewTerrain(const std::string& heightMap, float width, float height, float length,
                         bool vertexLighting)
{
    SetTerrain(nullptr);
    if (m_pQuadTree)
        m_pQuadTree->Initialize(width, length, width * 0.125f);
    kaTerrainBase* terrain = CreateTerrainObject();
    if (!terrain)
        return;
    terrain->SetWorld(this);
    if (terrain->GenerateHeightMapVerts(heightMap, width, height, length, vertexLighting))
        terrain->Build();
    SetTerrain(terrain);
}

void kaWorld::AddTerrainLayer(const std::string& texturePath, const std::string& maskPath, float stretch)
{
    if (m_pTerrain)
        m_pTerrain->AddLayer(maskPath, texturePath, stretch, false);
}

void kaWorld::RemoveTerrainLayer(int32_t index)
{
    if (m_pTerrain)
        m_pTerrain->RemoveLayer(index);
}

void kaWorld::RebuildTerrain()
{
    if (m_pTerrain)
        m_pTerrain->Rebuild();
}

void kaWorld::AddSunFlareLayer(const std::string& texture, float length, float scale)
{
    if (m_pSun)
        m_pSun->AddFlareLayer(texture, length, scale);
}

void kaWorld::RemoveSunFlareLayer(int32_t index)
{
    if (m_pSun)
        m_pSun->RemoveFlareLayer(index);
}

void kaWorld::CreateSun(const std::string& texture, float position, float axisTilt, float scale,
                        const kaColor& directional, const kaColor& ambient)
{
    SetSun(nullptr);
    kaSunBase* sun = s_SunCreator ? s_SunCreator() : nullptr;
    if (!sun)
        return;
    sun->SetWorld(this);
    sun->Initialize(position, axisTilt, texture, scale, directional, ambient);
    SetSun(sun);
}

void kaWorld::CreateSkyBox(const std::string& left, const std::string& right, const std::string& forward,
                           const std::string& back, const std::string& top)
{
    const LoadingTimer timer("AddSkybox");
    SetSkyBox(nullptr);
    kaSkyBoxBase* skyBox = s_SkyBoxCreator ? s_SkyBoxCreator() : nullptr;
    if (!skyBox)
        return;
    skyBox->SetName("SkyBox");
    skyBox->SetWorld(this);
    skyBox->Build(left, right, forward, back, top);
    SetSkyBox(skyBox);
}

void kaWorld::CreateCloudPlane(const std::string& texture, float height, float speed)
{
    const LoadingTimer timer("AddCloudPlane");
    if (m_pSkyBox)
        m_pSkyBox->AddCloudPlane(texture, height, speed);
}

void kaWorld::ResetPathGrid()
{
    if (m_pPathManager && s_PathGridReset)
        s_PathGridReset(*m_pPathManager);
}
