#include "engine/terrain/kaSkyBox.h"

#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/render/kaRenderState.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaCloudPlane.h"
#include "engine/terrain/kaEnvironmentValues.h"

#include <tinyxml.h>

using namespace kaEnvironmentValues;

namespace
{

kaSkyBoxBase* Make()
{
    return new kaSkyBox();
}

// Installed before the program's entry, so every world reads this element of its files.
const bool s_Installed = (kaWorld::SetSkyBoxCreator(&Make), true);

} // namespace

// A class record without a creator: only the world makes one.
KA_ENTITY_CLASS_RECORD_DEFINITION(kaSkyBox, "kaSkyBox")

namespace
{

struct FaceVertex
{
    float x, y, z;
    float u, v;
};

constexpr float S = kaSkyBox::kSide;
constexpr float B = kaSkyBox::kBottom;
constexpr float T = kaSkyBox::kTop;

constexpr FaceVertex kFaceVertices[kaSkyBox::kFaces][4] = {
    {{-S, B, -S, 0, 1}, {-S, B, S, 1, 1}, {-S, T, -S, 0, 0}, {-S, T, S, 1, 0}},
    {{S, B, S, 0, 1}, {S, B, -S, 1, 1}, {S, T, S, 0, 0}, {S, T, -S, 1, 0}},
    {{-S, B, S, 0, 1}, {S, B, S, 1, 1}, {-S, T, S, 0, 0}, {S, T, S, 1, 0}},
    {{S, B, -S, 0, 1}, {-S, B, -S, 1, 1}, {S, T, -S, 0, 0}, {-S, T, -S, 1, 0}},
    {{-S, T, -S, 1, 1}, {S, T, -S, 0, 1}, {-S, T, S, 1, 0}, {S, T, S, 0, 0}},
};
constexpr uint16_t kSideIndices[6] = {0, 2, 1, 1, 2, 3};
constexpr uint16_t kTopIndices[6] = {0, 1, 2, 2, 1, 3};

const char* const kFaceKeys[kaSkyBox::kFaces] = {"left", "right", "forward", "back", "top"};
const char* const kFaceLabels[kaSkyBox::kFaces] = {kaSkyBox::kLeftLabel, kaSkyBox::kRightLabel,
                                                   kaSkyBox::kForwardLabel, kaSkyBox::kBackLabel,
                                                   kaSkyBox::kTopLabel};

// The plane and the row a "Cloudplane <n> <row>" label names; false when it is no such label.
bool ParseCloudLabel(const std::string& label, size_t& plane, std::string& row)
{
    const std::string prefix = kaSkyBox::kCloudLabel;
    if (label.compare(0, prefix.size(), prefix) != 0)
        return false;
    const size_t blank = label.find(' ', prefix.size());
    if (blank == std::string::npos || blank == prefix.size() || blank - prefix.size() > 9)
        return false;
    const std::string digits = label.substr(prefix.size(), blank - prefix.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    plane = std::stoul(digits);
    row = label.substr(blank + 1);
    return true;
}

} // namespace

kaSkyBox::kaSkyBox() = default;

kaSkyBox::~kaSkyBox()
{
    _DeleteBox();
    for (kaCloudPlane* plane : m_CloudPlanes)
        plane->Release();
}

void kaSkyBox::_DeleteBox()
{
    if (m_pBox)
        m_pBox->Release();
    m_pBox = nullptr;
}

void kaSkyBox::Build(const std::string& left, const std::string& right, const std::string& forward,
                     const std::string& back, const std::string& top)
{
    const std::string faces[kFaces] = {left, right, forward, back, top};
    std::copy(std::begin(faces), std::end(faces), m_Faces);
    _DeleteBox();
    m_pBox = new kaRotationOnlyMesh(kBoxFVF, 2, 4, kFaces);
    m_pBox->AddRef();
    m_pBox->InitializeHierarchy();
    for (uint32_t face = 0; face < kFaces; ++face)
    {
        kaMeshSubset* subset = m_pBox->GetSubset(face);
        if (!subset)
            continue;
        m_pBox->SetVertices(kFaceVertices[face], face);
        m_pBox->SetIndices(face == 4 ? kTopIndices : kSideIndices, face);
        if (kaRenderState* state = subset->GetRenderState())
            state->AddTextureFromFile(m_Faces[face], false, 0, 0, 0, true, true, 1);
    }
    m_pBox->SetLighting(false);
    m_pBox->SetZWrite(false);
    m_pBox->SetZTest(false);
    m_pBox->SetRenderOrder(kBoxOrder);
}

void kaSkyBox::AddCloudPlane(const std::string& texture, float height, float speed)
{
    if (!m_pBox)
        return;
    auto* plane = new kaCloudPlane(texture, height, speed);
    plane->AddRef();
    m_CloudPlanes.push_back(plane);
}

void kaSkyBox::Render()
{
    if (m_pBox)
        m_pBox->Render(0);
}

void kaSkyBox::RenderCloudPlanes()
{
    for (kaCloudPlane* plane : m_CloudPlanes)
        plane->Render(0);
}

void kaSkyBox::Update(float dt)
{
    kaSkyBoxBase::Update(dt);
    for (kaCloudPlane* plane : m_CloudPlanes)
        plane->Scroll(dt);
}

void kaSkyBox::ReadXml(const TiXmlElement* element)
{
    if (!element)
        return;
    Build(TextOrEmpty(element, kFaceKeys[0]), TextOrEmpty(element, kFaceKeys[1]),
          TextOrEmpty(element, kFaceKeys[2]), TextOrEmpty(element, kFaceKeys[3]),
          TextOrEmpty(element, kFaceKeys[4]));
    for (const TiXmlElement* plane = element->FirstChildElement("Cloudplane"); plane;
         plane = plane->NextSiblingElement("Cloudplane"))
    {
        // A number that is no number reads 0, as a missing one does, and is kept as read for the save.
        const std::string named = "cloud plane " + std::to_string(m_CloudPlanes.size()) + " ";
        kaBlockKeys kept;
        float height = 0.0f;
        float speed = 0.0f;
        ReadFloatsKept(plane, {{"height", &height}, {"speed", &speed}}, kept, m_pWorld, named);
        const size_t before = m_CloudPlanes.size();
        AddCloudPlane(TextOrEmpty(plane, "texture"), height, speed);
        if (m_CloudPlanes.size() > before)
            m_CloudPlanes.back()->m_Kept.TakeFrom(kept);
    }
    m_Name = kName;
}

void kaSkyBox::WriteXml(TiXmlElement* element) const
{
    if (!element)
        return;
    for (uint32_t face = 0; face < kFaces; ++face)
        AppendTextElement(element, kFaceKeys[face], m_Faces[face]);
    for (const kaCloudPlane* plane : m_CloudPlanes)
    {
        TiXmlElement* entry = AppendElement(element, "Cloudplane");
        AppendTextElement(entry, "texture", plane->m_Texture);
        WriteFloatKept(entry, "height", plane->m_Height, plane->m_Kept);
        WriteFloatKept(entry, "speed", plane->m_Speed, plane->m_Kept);
    }
}

void kaSkyBox::BuildPropertyList()
{
    kaSkyBoxBase::BuildPropertyList();
    for (uint32_t face = 0; face < kFaces; ++face)
    {
        kaPropertyRecord& row = kaPropertyRecord::Append(m_PropertyList, kFaceLabels[face], m_Faces[face]);
        row.m_Browse = true;
        row.m_Folder = kFolder;
    }
    for (size_t i = 0; i < m_CloudPlanes.size(); ++i)
    {
        const kaCloudPlane& plane = *m_CloudPlanes[i];
        const std::string prefix = kCloudLabel + std::to_string(i) + " ";
        kaPropertyRecord& texture =
            kaPropertyRecord::Append(m_PropertyList, prefix + kTextureLabel, plane.m_Texture);
        texture.m_Browse = true;
        texture.m_Folder = kFolder;
        kaPropertyRecord::Append(m_PropertyList, prefix + kSpeedLabel, FloatText(plane.m_Speed));
        kaPropertyRecord::Append(m_PropertyList, prefix + kHeightLabel, FloatText(plane.m_Height));
    }
}

bool kaSkyBox::SetPropertyList(const kaPropertyList& list)
{
    // Converted whole before anything is stored.
    std::string faces[kFaces];
    std::copy(std::begin(m_Faces), std::end(m_Faces), faces);
    struct Cloud
    {
        std::string texture;
        float speed;
        float height;
        // The keys whose kept text the rows replace.
        std::vector<std::string> given;
    };
    std::vector<Cloud> clouds;
    for (const kaCloudPlane* plane : m_CloudPlanes)
        clouds.push_back({plane->m_Texture, plane->m_Speed, plane->m_Height, {}});

    bool changed = false;
    for (const kaCountedPtr<kaPropertyRecord>& row : list)
    {
        if (!row)
            continue;
        const std::string& label = row->m_Label;
        const std::string& value = row->m_Value;
        for (uint32_t face = 0; face < kFaces; ++face)
        {
            if (label == kFaceLabels[face] && value != faces[face])
            {
                faces[face] = value;
                changed = true;
            }
        }
        size_t index = 0;
        std::string field;
        if (!ParseCloudLabel(label, index, field) || index >= clouds.size())
            continue;
        Cloud& cloud = clouds[index];
        const kaCloudPlane& plane = *m_CloudPlanes[index];
        if (field == kTextureLabel)
        {
            if (value != cloud.texture)
            {
                cloud.texture = value;
                changed = true;
            }
            continue;
        }
        float* target = field == kSpeedLabel ? &cloud.speed : field == kHeightLabel ? &cloud.height : nullptr;
        const float stored = field == kSpeedLabel ? plane.m_Speed : plane.m_Height;
        const char* key = field == kSpeedLabel ? "speed" : "height";
        // The designer's row replaces a text kept as read, also with the value in use.
        if (!target || (value == FloatText(stored) && !(row->m_Set && plane.m_Kept.Has(key))))
            continue;
        if (!TryParseFloat(value, *target))
            throw ka::bad_lexical_cast();
        cloud.given.push_back(key);
        changed = true;
    }

    const bool baseChanged = kaSkyBoxBase::SetPropertyList(list);
    if (changed)
    {
        for (size_t i = 0; i < clouds.size(); ++i)
        {
            m_CloudPlanes[i]->m_Texture = clouds[i].texture;
            m_CloudPlanes[i]->m_Speed = clouds[i].speed;
            m_CloudPlanes[i]->m_Height = clouds[i].height;
            for (const std::string& key : clouds[i].given)
                m_CloudPlanes[i]->m_Kept.Forget(key);
        }
        Build(faces[0], faces[1], faces[2], faces[3], faces[4]);
    }
    return baseChanged || changed;
}
