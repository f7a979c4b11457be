#include "platform/gfx/GfxEffect.h"

#include "platform/gfx/GLDevice.h"
#include "platform/gfx/GLProgram.h"
#include "platform/gfx/GfxBaseTexture.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/StateDevice.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector4.h"
#include "platform/system/DebugOutput.h"

#include <cstdio>

namespace platform
{

namespace
{

std::string Floats(const float* values, int count)
{
    std::string text;
    char number[32];
    for (int i = 0; i < count; ++i)
    {
        std::snprintf(number, sizeof(number), "%s%g", i ? " " : "", double(values[i]));
        text += number;
    }
    return text;
}

} // namespace

GfxResult GfxEffect::CreateFromFile(GfxDevice* device, const std::string& path, GfxEffect** effect,
                                    std::string* errors)
{
    if (effect)
        *effect = nullptr;
    if (!device || !effect)
        return GFXERR_INVALIDCALL;
    EffectFile file;
    std::string error;
    if (!file.Load(path, error))
    {
        DebugPrintf("[GfxEffect::CreateFromFile] : %s: %s\n", path.c_str(), error.c_str());
        if (errors)
            *errors = error;
        return GFXERR_INVALIDCALL;
    }
    const GfxResult result = Create(device, file, effect, &error);
    if (GfxFailed(result))
    {
        DebugPrintf("[GfxEffect::CreateFromFile] : %s: %s\n", path.c_str(), error.c_str());
        if (errors)
            *errors = error;
    }
    return result;
}

GfxResult GfxEffect::Create(GfxDevice* device, const EffectFile& file, GfxEffect** effect,
                            std::string* errors)
{
    if (effect)
        *effect = nullptr;
    if (!device || !effect || file.GetTechniques().empty())
        return GFXERR_INVALIDCALL;
    auto* made = new GfxEffect(device, file);
    std::string error;
    if (!made->_Build(error))
    {
        if (errors)
            *errors = error;
        made->Release();
        return GFX_E_FAIL;
    }
    *effect = made;
    return GFX_OK;
}

GfxEffect::GfxEffect(GfxDevice* device, const EffectFile& file)
    : m_Device(device), m_StateDevice(dynamic_cast<StateDevice*>(device)),
      m_GLDevice(dynamic_cast<GLDevice*>(device)), m_File(file)
{
    m_Device->AddRef();
}

GfxEffect::~GfxEffect()
{
    if (m_GLDevice)
    {
        m_GLDevice->Activate();
        if (m_Pass >= 0)
            m_GLDevice->UseProgram(0);
        for (const auto& passes : m_Programs)
            for (uint32_t program : passes)
                GLProgram::Delete(program);
    }
    for (auto& entry : m_Parameters)
        if (entry.second.texture)
            entry.second.texture->Release();
    m_Device->Release();
}

bool GfxEffect::_Build(std::string& errors)
{
    for (const EffectFile::Technique& technique : m_File.GetTechniques())
    {
        m_Programs.emplace_back();
        for (const EffectFile::Pass& pass : technique.passes)
        {
            uint32_t program = 0;
            if (m_GLDevice && (!pass.vertexSource.empty() || !pass.fragmentSource.empty()))
            {
                m_GLDevice->Activate();
                std::string log;
                program = GLProgram::Build(pass.vertexSource, pass.fragmentSource, log);
                if (!program)
                {
                    errors = "technique " + technique.name + ", pass " + pass.name + ": " + log;
                    return false;
                }
            }
            m_Programs.back().push_back(program);
        }
    }
    return true;
}

GfxResult GfxEffect::_Log(const char* method, const std::string& args) const
{
    if (!m_StateDevice)
        return GFX_OK;
    return m_StateDevice->Enter(method, [&args] { return args; });
}

GfxEffect::Parameter& GfxEffect::_Set(const std::string& name, Kind kind)
{
    Parameter& parameter = m_Parameters[name];
    if (parameter.texture && kind != Kind::Texture)
    {
        parameter.texture->Release();
        parameter.texture = nullptr;
    }
    parameter.kind = kind;
    return parameter;
}

GfxResult GfxEffect::SetTechnique(const std::string& name)
{
    const GfxResult logged = _Log("Effect::SetTechnique", name);
    if (GfxFailed(logged))
        return logged;
    const auto& techniques = m_File.GetTechniques();
    for (uint32_t i = 0; i < techniques.size(); ++i)
        if (techniques[i].name == name)
        {
            if (m_Begun)
                return GFXERR_INVALIDCALL;
            m_Technique = i;
            return GFX_OK;
        }
    return GFXERR_INVALIDCALL;
}

GfxResult GfxEffect::SetMatrix(const std::string& name, const Matrix& matrix)
{
    const GfxResult logged = _Log("Effect::SetMatrix", name + " " + Floats(&matrix.m[0][0], 16));
    if (GfxFailed(logged))
        return logged;
    Parameter& parameter = _Set(name, Kind::Matrix);
    for (int i = 0; i < 16; ++i)
        parameter.values[i] = (&matrix.m[0][0])[i];
    return GFX_OK;
}

GfxResult GfxEffect::SetFloat(const std::string& name, float value)
{
    const GfxResult logged = _Log("Effect::SetFloat", name + " " + Floats(&value, 1));
    if (GfxFailed(logged))
        return logged;
    _Set(name, Kind::Float).values[0] = value;
    return GFX_OK;
}

GfxResult GfxEffect::SetVector(const std::string& name, const Vector4& vector)
{
    const float values[4] = {vector.x, vector.y, vector.z, vector.w};
    const GfxResult logged = _Log("Effect::SetVector", name + " " + Floats(values, 4));
    if (GfxFailed(logged))
        return logged;
    Parameter& parameter = _Set(name, Kind::Vector);
    for (int i = 0; i < 4; ++i)
        parameter.values[i] = values[i];
    return GFX_OK;
}

GfxResult GfxEffect::SetTexture(const std::string& name, GfxBaseTexture* texture)
{
    const GfxResult logged = _Log("Effect::SetTexture", name + (texture ? " texture" : " null"));
    if (GfxFailed(logged))
        return logged;
    Parameter& parameter = _Set(name, Kind::Texture);
    if (texture)
        texture->AddRef();
    if (parameter.texture)
        parameter.texture->Release();
    parameter.texture = texture;
    return GFX_OK;
}

GfxResult GfxEffect::Begin(uint32_t* passes, uint32_t flags)
{
    const GfxResult logged = _Log("Effect::Begin", std::to_string(flags));
    if (GfxFailed(logged))
        return logged;
    if (m_Begun)
        return GFXERR_INVALIDCALL;
    const EffectFile::Technique& technique = m_File.GetTechniques()[m_Technique];
    if (passes)
        *passes = uint32_t(technique.passes.size());
    m_SavedRenderStates.clear();
    m_SavedSamplerStates.clear();
    if (!(flags & kDoNotSaveState))
        for (const EffectFile::Pass& pass : technique.passes)
        {
            for (EffectFile::RenderState state : pass.renderStates)
                if (GfxSucceeded(m_Device->GetRenderState(state.state, &state.value)))
                    m_SavedRenderStates.push_back(state);
            for (EffectFile::SamplerState state : pass.samplerStates)
                if (GfxSucceeded(m_Device->GetSamplerState(state.sampler, state.state, &state.value)))
                    m_SavedSamplerStates.push_back(state);
        }
    m_Begun = true;
    return GFX_OK;
}

GfxResult GfxEffect::BeginPass(uint32_t pass)
{
    const GfxResult logged = _Log("Effect::BeginPass", std::to_string(pass));
    if (GfxFailed(logged))
        return logged;
    const EffectFile::Technique& technique = m_File.GetTechniques()[m_Technique];
    if (!m_Begun || m_Pass >= 0 || pass >= technique.passes.size())
        return GFXERR_INVALIDCALL;
    const EffectFile::Pass& states = technique.passes[pass];
    for (const EffectFile::RenderState& state : states.renderStates)
        m_Device->SetRenderState(state.state, state.value);
    for (const EffectFile::SamplerState& state : states.samplerStates)
        m_Device->SetSamplerState(state.sampler, state.state, state.value);
    m_Pass = int32_t(pass);
    _Upload();
    return GFX_OK;
}

GfxResult GfxEffect::CommitChanges()
{
    const GfxResult logged = _Log("Effect::CommitChanges", std::string());
    if (GfxFailed(logged))
        return logged;
    if (m_Pass < 0)
        return GFXERR_INVALIDCALL;
    _Upload();
    return GFX_OK;
}

void GfxEffect::_Upload()
{
    const uint32_t program = m_Programs[m_Technique][uint32_t(m_Pass)];
    if (m_GLDevice)
    {
        m_GLDevice->Activate();
        m_GLDevice->UseProgram(program);
    }
    int32_t unit = 0;
    for (const auto& entry : m_Parameters)
    {
        const Parameter& parameter = entry.second;
        if (parameter.kind == Kind::Texture)
            m_Device->SetTexture(uint32_t(unit), parameter.texture);
        const int32_t location = m_GLDevice ? GLProgram::Location(program, entry.first) : -1;
        if (location >= 0)
            switch (parameter.kind)
            {
            case Kind::Matrix:
                GLProgram::SetMatrix(location, parameter.values);
                break;
            case Kind::Float:
                GLProgram::SetFloat(location, parameter.values[0]);
                break;
            case Kind::Vector:
                GLProgram::SetVector(location, parameter.values);
                break;
            case Kind::Texture:
                GLProgram::SetSampler(location, unit);
                break;
            }
        if (parameter.kind == Kind::Texture)
            ++unit;
    }
}

GfxResult GfxEffect::EndPass()
{
    const GfxResult logged = _Log("Effect::EndPass", std::string());
    if (GfxFailed(logged))
        return logged;
    if (m_Pass < 0)
        return GFXERR_INVALIDCALL;
    if (m_GLDevice)
    {
        m_GLDevice->Activate();
        m_GLDevice->UseProgram(0);
    }
    m_Pass = -1;
    return GFX_OK;
}

GfxResult GfxEffect::End()
{
    const GfxResult logged = _Log("Effect::End", std::string());
    if (GfxFailed(logged))
        return logged;
    if (!m_Begun)
        return GFXERR_INVALIDCALL;
    if (m_Pass >= 0)
        EndPass();
    // Restored last to first, so a state set by two passes gets its value from before Begin.
    for (auto state = m_SavedRenderStates.rbegin(); state != m_SavedRenderStates.rend(); ++state)
        m_Device->SetRenderState(state->state, state->value);
    for (auto state = m_SavedSamplerStates.rbegin(); state != m_SavedSamplerStates.rend(); ++state)
        m_Device->SetSamplerState(state->sampler, state->state, state->value);
    m_Begun = false;
    return GFX_OK;
}

} // namespace platform
