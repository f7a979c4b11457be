#pragma once

#include "engine/render/ka3DObject.h"

#include <string>
#include <vector>

// A scene object that records every overridable call, and its destruction, into a log shared by all
// objects of a test.
class RecordingObject : public ka3DObject
{
public:
    RecordingObject(const std::string& name, std::vector<std::string>& log) : m_Log(log) { SetName(name); }
    ~RecordingObject() override { m_Log.push_back(GetName() + ".destroyed"); }

    void Render(uint32_t flag) override
    {
        m_Log.push_back(GetName() + ".Render(" + std::to_string(flag) + ")");
        ka3DObject::Render(flag);
    }
    void Update(float dt) override
    {
        m_Log.push_back(GetName() + ".Update(" + std::to_string(dt) + ")");
        ka3DObject::Update(dt);
    }
    void Initialize() override { m_Log.push_back(GetName() + ".Initialize"); }
    void CreateDeviceObjects() override { m_Log.push_back(GetName() + ".Create"); }
    void ReleaseDeviceObjects() override { m_Log.push_back(GetName() + ".Release"); }

private:
    std::vector<std::string>& m_Log;
};
