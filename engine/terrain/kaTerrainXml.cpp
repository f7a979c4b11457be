// The "Terrain" element of a course: reading builds the terrain, writing gives back what it was built from.
#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaMesh.h"
#include "engine/render/kaImage.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaEnvironmentValues.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainLayer.h"

#include "platform/system/DebugOutput.h"

#include <tinyxml.h>

using kaEnvironmentValues::ReadFloatKept;
using kaEnvironmentValues::ReadFloatsKept;
using kaEnvironmentValues::TextOrEmpty;
using kaEnvironmentValues::WriteFloatKept;

namespace
{

// "1" or "0"; anything else reads as missing, which is false, and a text other than none is kept as read for
// the save and noted under the key.
bool BoolKept(const TiXmlElement* parent, const char* name, kaBlockKeys& kept, kaWorld* world,
              const std::string& key)
{
    const std::string text = TextOrEmpty(parent, name);
    if (text != "1" && text != "0" && !text.empty())
    {
        kept.KeepElement(*parent->FirstChildElement(name));
        if (world)
            world->NoteMalformedValue(key, text);
    }
    return text == "1";
}

// The copy kept under the name, else the flag.
void WriteBoolKept(TiXmlElement* parent, const char* name, bool flag, const kaBlockKeys& kept)
{
    if (!kept.Write(parent, name))
        AppendBoolElement(parent, name, flag);
}

} // namespace

void kaTerrain::ReadXml(const TiXmlElement* element)
{
    if (!element)
        return;
    // A terrain read again is what the element says, not that plus what it held.
    _ClearQuads();
    m_Layers.clear();
    m_pEdgeMesh.reset();
    m_EdgePanelPath.clear();
    m_Kind = Kind::HeightFieldOnly;
    // A number that is no number reads 0, as a missing one does, and is kept as read for the save.
    m_BlockKeys.Clear();
    const std::string path = TextOrEmpty(element, "heightmap");
    float width = 0.0f;
    float height = 0.0f;
    float length = 0.0f;
    ReadFloatsKept(element, {{"width", &width}, {"height", &height}, {"length", &length}}, m_BlockKeys,
                   m_pWorld);
    const bool vertexLighting = BoolKept(element, "vertexLight", m_BlockKeys, m_pWorld, "vertexLight");
    m_HeightsEdited = false;
    if (!GenerateHeightMapVerts(path, width, height, length, vertexLighting))
    {
        // Kept as read, so that saving the course does not lose them; the terrain stays without ground.
        m_HeightMapPath = path;
        m_Width = width;
        m_Height = height;
        m_Length = length;
        m_VertexLighting = vertexLighting;
    }

    if (const TiXmlElement* single = element->FirstChildElement("singleLayer"))
    {
        float stretch = 0.0f;
        ReadFloatKept(single, "detailTexStretch", stretch, m_BlockKeys, m_pWorld, "detailTexStretch");
        SetSingleLayerTextures(TextOrEmpty(single, "baseTexture"), TextOrEmpty(single, "detailTexture"),
                               stretch);
        BuildSingleLayer();
        const std::string panels = TextOrEmpty(element, "edgePanels");
        if (!panels.empty())
            BuildEdgePanels(panels);
        return;
    }
    if (const TiXmlElement* layers = element->FirstChildElement("terrainLayers"))
    {
        int32_t read = 0;
        for (const TiXmlElement* layer = layers->FirstChildElement("layer"); layer;
             layer = layer->NextSiblingElement("layer"))
        {
            if (read++ == kMaxFileLayers)
            {
                platform::DebugPrintf("[kaTerrain::ReadXml] More than %d layers: the rest are skipped\n",
                                      kMaxFileLayers);
                break;
            }
            const std::string mask = TextOrEmpty(layer, "maskPath");
            const std::string texture = TextOrEmpty(layer, "texturePath");
            kaBlockKeys kept;
            float stretch = 0.0f;
            ReadFloatKept(layer, "texStretch", stretch, kept, m_pWorld,
                          "layer " + std::to_string(read - 1) + " texStretch");
            const bool hardEdge = BoolKept(layer, "hardEdge", kept, m_pWorld,
                                           "layer " + std::to_string(read - 1) + " hardEdge");
            // A layer whose mask is missing draws nothing but stays, so that saving keeps it.
            if (!AddLayer(mask, texture, stretch, hardEdge))
                m_Layers.push_back(
                    std::make_unique<kaTerrainLayer>(nullptr, mask, texture, stretch, hardEdge));
            m_Layers.back()->Kept().TakeFrom(kept);
        }
        Build();
        BuildLayeredEdgeApron();
    }
}

void kaTerrain::WriteXml(TiXmlElement* element) const
{
    if (!element)
        return;
    AppendTextElement(element, "heightmap", m_HeightMapPath);
    WriteFloatKept(element, "width", m_Width, m_BlockKeys);
    WriteFloatKept(element, "length", m_Length, m_BlockKeys);
    WriteFloatKept(element, "height", m_Height, m_BlockKeys);
    WriteBoolKept(element, "vertexLight", m_VertexLighting, m_BlockKeys);
    if (m_Kind == Kind::Layered)
    {
        TiXmlElement* layers = AppendElement(element, "terrainLayers");
        for (const std::unique_ptr<kaTerrainLayer>& layer : m_Layers)
        {
            TiXmlElement* entry = AppendElement(layers, "layer");
            AppendTextElement(entry, "maskPath", layer->GetMaskPath());
            AppendTextElement(entry, "texturePath", layer->GetTexturePath());
            WriteFloatKept(entry, "texStretch", layer->GetStretch(), layer->Kept());
            WriteBoolKept(entry, "hardEdge", layer->IsHardEdge(), layer->Kept());
        }
    }
    else if (m_Kind == Kind::SingleLayer)
    {
        TiXmlElement* single = AppendElement(element, "singleLayer");
        AppendTextElement(single, "baseTexture", m_BaseTexturePath);
        AppendTextElement(single, "detailTexture", m_DetailTexturePath);
        WriteFloatKept(single, "detailTexStretch", m_DetailStretch, m_BlockKeys);
    }
    AppendTextElement(element, "edgePanels", m_EdgePanelPath);
}
