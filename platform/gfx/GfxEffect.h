#pragma once

#include "platform/gfx/EffectFile.h"
#include "platform/gfx/GfxObject.h"
#include "platform/gfx/GfxTypes.h"

#include <map>
#include <string>
#include <vector>

namespace platform
{

class GfxBaseTexture;
class GfxDevice;
class GLDevice;
class StateDevice;
struct Matrix;
struct Vector4;

// An effect of our own file format (EffectFile): techniques of passes, each pass a set of render and
// sampler states and a GLSL 1.20 program. Parameters are set by name and reach the program's uniforms of
// that name when a pass begins or changes are committed; texture parameters take sampler units 0, 1, ...
// in the order of their names. On the OpenGL device the programs are compiled when the effect is made;
// on the test device every call is logged ("Effect::SetMatrix" and so on).
class GfxEffect : public GfxObject
{
public:
    // Begin flag: leave the states the passes set in force after End.
    static constexpr uint32_t kDoNotSaveState = 1;

    // A file that cannot be read or a shader that does not compile gives no effect; the reason goes to
    // `errors` (when given) and to the debugger output.
    static GfxResult CreateFromFile(GfxDevice* device, const std::string& path, GfxEffect** effect,
                                    std::string* errors);
    static GfxResult Create(GfxDevice* device, const EffectFile& file, GfxEffect** effect,
                            std::string* errors);

    uint32_t GetTechniqueCount() const { return uint32_t(m_File.GetTechniques().size()); }
    const std::string& GetTechniqueName(uint32_t index) const
    {
        return m_File.GetTechniques().at(index).name;
    }
    // The first technique is current until another is chosen.
    GfxResult SetTechnique(const std::string& name);
    const std::string& GetCurrentTechnique() const { return GetTechniqueName(m_Technique); }

    GfxResult SetMatrix(const std::string& name, const Matrix& matrix);
    GfxResult SetFloat(const std::string& name, float value);
    GfxResult SetVector(const std::string& name, const Vector4& vector);
    // Holds a reference on the texture until it is replaced or the effect goes.
    GfxResult SetTexture(const std::string& name, GfxBaseTexture* texture);

    // The current technique's pass count; saves the states its passes set unless kDoNotSaveState.
    GfxResult Begin(uint32_t* passes, uint32_t flags);
    GfxResult BeginPass(uint32_t pass);
    // Parameters set inside a pass reach the program.
    GfxResult CommitChanges();
    GfxResult EndPass();
    // Restores the saved states.
    GfxResult End();

private:
    enum class Kind
    {
        Matrix,
        Float,
        Vector,
        Texture
    };

    struct Parameter
    {
        Kind kind = Kind::Float;
        float values[16] = {};
        GfxBaseTexture* texture = nullptr;
    };

    GfxEffect(GfxDevice* device, const EffectFile& file);
    ~GfxEffect() override;

    bool _Build(std::string& errors);
    GfxResult _Log(const char* method, const std::string& args) const;
    Parameter& _Set(const std::string& name, Kind kind);
    void _Upload();

    GfxDevice* m_Device;
    StateDevice* m_StateDevice = nullptr;
    GLDevice* m_GLDevice = nullptr;
    EffectFile m_File;
    // Program names by technique and pass; 0 for a pass without shaders or off OpenGL.
    std::vector<std::vector<uint32_t>> m_Programs;
    std::map<std::string, Parameter> m_Parameters;
    uint32_t m_Technique = 0;
    bool m_Begun = false;
    int32_t m_Pass = -1;
    std::vector<EffectFile::RenderState> m_SavedRenderStates;
    std::vector<EffectFile::SamplerState> m_SavedSamplerStates;
};

} // namespace platform
