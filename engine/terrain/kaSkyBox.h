#pragma once

#include "engine/scene/kaSkyBoxBase.h"

#include <string>
#include <vector>

class kaCloudPlane;
class kaRotationOnlyMesh;

// The world's sky: an open box of five textured faces around the camera, drawn first, and any number of
// scrolling cloud planes above it.
class kaSkyBox : public kaSkyBoxBase
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr const char* kName = "Skybox";
    static constexpr const char* kFolder = "resources/worlds/skybox/";
    static constexpr uint32_t kBoxFVF = 0x102;
    static constexpr uint32_t kFaces = 5;
    static constexpr float kSide = 100.0f;
    static constexpr float kBottom = -50.0f;
    static constexpr float kTop = 100.0f;
    static constexpr int32_t kBoxOrder = -50;

    // Editor rows, matched exactly. A cloud row reads "Cloudplane <index> " and one of the three.
    static constexpr const char* kLeftLabel = "Left:";
    static constexpr const char* kRightLabel = "Right:";
    static constexpr const char* kForwardLabel = "Forward:";
    static constexpr const char* kBackLabel = "Back:";
    static constexpr const char* kTopLabel = "Top:";
    static constexpr const char* kCloudLabel = "Cloudplane ";
    static constexpr const char* kTextureLabel = "Texture:";
    static constexpr const char* kSpeedLabel = "Speed:";
    static constexpr const char* kHeightLabel = "Height:";

    kaSkyBox();
    ~kaSkyBox() override;

    void ReadXml(const TiXmlElement* element) override;
    void WriteXml(TiXmlElement* element) const override;
    void Render() override;
    void Update(float dt) override;
    void BuildPropertyList() override;
    // A number that does not convert throws ka::bad_lexical_cast before anything is stored.
    bool SetPropertyList(const kaPropertyList& list) override;

    void Build(const std::string& left, const std::string& right, const std::string& forward,
               const std::string& back, const std::string& top) override;
    void AddCloudPlane(const std::string& texture, float height, float speed) override;
    void RenderCloudPlanes() override;

    kaRotationOnlyMesh* GetBox() const { return m_pBox; }
    const std::vector<kaCloudPlane*>& GetCloudPlanes() const { return m_CloudPlanes; }
    // Left, right, forward, back, top.
    const std::string& GetFace(uint32_t face) const { return m_Faces[face]; }

private:
    void _DeleteBox();

    std::vector<kaCloudPlane*> m_CloudPlanes;
    kaRotationOnlyMesh* m_pBox = nullptr;
    std::string m_Faces[kFaces];
};
