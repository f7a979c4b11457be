// The map editor's rows of kaTerrain: built from what the terrain holds, converted whole, then applied.
#include "engine/core/kaLexicalCast.h"
#include "engine/render/kaImage.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/terrain/kaEnvironmentValues.h"
#include "engine/terrain/kaLayeredTerrainQuad.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainLayer.h"

#include <string>
#include <vector>

using kaEnvironmentValues::FloatText;

namespace
{

std::string FlagText(bool flag)
{
    return ka::lexical_cast<std::string>(flag);
}

kaPropertyRecord& Browsed(kaPropertyList& list, const std::string& label, const std::string& value,
                          const char* folder)
{
    kaPropertyRecord& row = kaPropertyRecord::Append(list, label, value);
    row.m_Browse = true;
    row.m_Folder = folder;
    return row;
}

// A number row: its text as the stored value writes it changes nothing, unless the designer set it over a
// text kept as read, which then gives way (the key goes to `given`); other text must convert.
void TakeFloat(const kaPropertyRecord& row, float& value, const kaBlockKeys& kept, const std::string& key,
               std::vector<std::string>& given)
{
    if (row.m_Value == FloatText(value) && !(row.m_Set && kept.Has(key)))
        return;
    value = ka::lexical_cast<float>(row.m_Value);
    given.push_back(key);
}

// The layer and key a "Layer <n><key>" row names; false for another row.
bool LayerRow(const std::string& label, size_t& layer, std::string& key)
{
    const std::string prefix = kaTerrain::kLayerLabel;
    if (label.compare(0, prefix.size(), prefix) != 0)
        return false;
    const size_t digitsEnd = label.find_first_not_of("0123456789", prefix.size());
    if (digitsEnd == prefix.size() || digitsEnd == std::string::npos || digitsEnd - prefix.size() > 9)
        return false;
    layer = std::stoul(label.substr(prefix.size(), digitsEnd - prefix.size()));
    key = label.substr(digitsEnd);
    return true;
}

} // namespace

// What the rows ask for, converted before anything of the terrain changes.
struct kaTerrain::_Rows
{
    std::string heightMapPath;
    float width, length, height;
    bool vertexLighting;
    std::string edgePanels;
    struct Layer
    {
        std::string maskPath;
        std::string texturePath;
        float stretch;
    };
    std::vector<Layer> layers;
    // The keys whose kept text the rows replace: the terrain's, and each layer's.
    std::vector<std::string> given;
    std::vector<std::vector<std::string>> layersGiven;
};

void kaTerrain::BuildPropertyList()
{
    kaTerrainBase::BuildPropertyList();
    Browsed(m_PropertyList, kHeightmapLabel, m_HeightMapPath, kHeightmapFolder);
    kaPropertyRecord::Append(m_PropertyList, kWidthLabel, FloatText(m_Width));
    kaPropertyRecord::Append(m_PropertyList, kLengthLabel, FloatText(m_Length));
    kaPropertyRecord::Append(m_PropertyList, kHeightLabel, FloatText(m_Height));
    kaPropertyRecord::Append(m_PropertyList, kVertexLightLabel, FlagText(m_VertexLighting));
    Browsed(m_PropertyList, kEdgePanelsLabel, m_EdgePanelPath, kPanelFolder);
    for (size_t i = 0; i < m_Layers.size(); ++i)
    {
        const std::string layer = kLayerLabel + std::to_string(i);
        Browsed(m_PropertyList, layer + kMaskPathKey, m_Layers[i]->GetMaskPath(), kMaskFolder);
        Browsed(m_PropertyList, layer + kTextureKey, m_Layers[i]->GetTexturePath(), kTileFolder);
        kaPropertyRecord::Append(m_PropertyList, layer + kTexStretchKey,
                                 FloatText(m_Layers[i]->GetStretch()));
    }
}

bool kaTerrain::SetPropertyList(const kaPropertyList& list)
{
    _Rows rows{m_HeightMapPath, m_Width, m_Length, m_Height, m_VertexLighting, m_EdgePanelPath, {}, {}, {}};
    for (const std::unique_ptr<kaTerrainLayer>& layer : m_Layers)
        rows.layers.push_back({layer->GetMaskPath(), layer->GetTexturePath(), layer->GetStretch()});
    rows.layersGiven.resize(m_Layers.size());
    for (const kaCountedPtr<kaPropertyRecord>& row : list)
    {
        if (!row)
            continue;
        const std::string& label = row->m_Label;
        const std::string& value = row->m_Value;
        size_t layer = 0;
        std::string key;
        if (label == kHeightmapLabel)
            rows.heightMapPath = value;
        else if (label == kWidthLabel)
            TakeFloat(*row, rows.width, m_BlockKeys, "width", rows.given);
        else if (label == kLengthLabel)
            TakeFloat(*row, rows.length, m_BlockKeys, "length", rows.given);
        else if (label == kHeightLabel)
            TakeFloat(*row, rows.height, m_BlockKeys, "height", rows.given);
        else if (label == kVertexLightLabel)
        {
            rows.vertexLighting = ka::lexical_cast<bool>(value);
            if (row->m_Set || rows.vertexLighting != m_VertexLighting)
                rows.given.push_back("vertexLight");
        }
        else if (label == kEdgePanelsLabel)
            rows.edgePanels = value;
        else if (LayerRow(label, layer, key) && layer < rows.layers.size())
        {
            if (key == kMaskPathKey)
                rows.layers[layer].maskPath = value;
            else if (key == kTextureKey)
                rows.layers[layer].texturePath = value;
            else if (key == kTexStretchKey)
                TakeFloat(*row, rows.layers[layer].stretch, m_Layers[layer]->Kept(), "texStretch",
                          rows.layersGiven[layer]);
        }
    }

    const bool entityChanged = kaTerrainBase::SetPropertyList(list);
    for (const std::string& key : rows.given)
        m_BlockKeys.Forget(key);
    for (size_t i = 0; i < m_Layers.size(); ++i)
        for (const std::string& key : rows.layersGiven[i])
            m_Layers[i]->Kept().Forget(key);
    const bool heightsChanged = _ApplyHeightMapRows(rows);
    const bool layersChanged = _ApplyLayerRows(rows, !heightsChanged);
    bool panelsChanged = false;
    if (rows.edgePanels != m_EdgePanelPath)
    {
        panelsChanged = true;
        m_EdgePanelPath = rows.edgePanels;
        if (m_Kind == Kind::SingleLayer && !heightsChanged)
            BuildEdgePanels(m_EdgePanelPath);
    }
    if (heightsChanged)
    {
        // New heights from the map replace any edited ones.
        if (GenerateHeightMapVerts(m_HeightMapPath, m_Width, m_Height, m_Length, m_VertexLighting))
            m_HeightsEdited = false;
        Rebuild();
    }
    return entityChanged || heightsChanged || layersChanged || panelsChanged;
}

bool kaTerrain::_ApplyHeightMapRows(const _Rows& rows)
{
    bool changed = false;
    const auto take = [&changed](auto& field, const auto& value)
    {
        if (field != value)
        {
            field = value;
            changed = true;
        }
    };
    take(m_HeightMapPath, rows.heightMapPath);
    take(m_Width, rows.width);
    take(m_Length, rows.length);
    take(m_Height, rows.height);
    take(m_VertexLighting, rows.vertexLighting);
    for (size_t i = 0; i < m_Layers.size(); ++i)
    {
        const std::string& path = rows.layers[i].maskPath;
        if (path == m_Layers[i]->GetMaskPath())
            continue;
        // A mask that cannot be loaded leaves the layer as it was.
        std::unique_ptr<kaImage> mask = LoadHeightMapImage(path);
        if (!mask)
            continue;
        m_Layers[i]->SetMask(std::move(mask), path);
        changed = true;
    }
    return changed;
}

bool kaTerrain::_ApplyLayerRows(const _Rows& rows, bool rewriteInPlace)
{
    bool changed = false;
    bool stretched = false;
    for (size_t i = 0; i < m_Layers.size(); ++i)
    {
        kaTerrainLayer& layer = *m_Layers[i];
        const _Rows::Layer& row = rows.layers[i];
        if (row.texturePath != layer.GetTexturePath())
        {
            changed = true;
            layer.SetTexturePath(row.texturePath);
            if (rewriteInPlace && m_Layered)
                for (const std::unique_ptr<kaTerrainQuad>& quad : m_Quads)
                    if (auto* layered = dynamic_cast<kaLayeredTerrainQuad*>(quad.get()))
                        layered->SetLayerTexture(int32_t(i), row.texturePath);
        }
        if (row.stretch != layer.GetStretch())
        {
            changed = true;
            stretched = true;
            layer.SetStretch(row.stretch);
            if (rewriteInPlace && m_Layered && m_CellSize > 0.0f)
                for (const std::unique_ptr<kaTerrainQuad>& quad : m_Quads)
                    if (auto* layered = dynamic_cast<kaLayeredTerrainQuad*>(quad.get()))
                        layered->RewriteLayerTexCoords(int32_t(i), layer.GetInverseStretch() / m_CellSize);
        }
    }
    if (stretched && rewriteInPlace && m_Layered)
        BuildLayeredEdgeApron();
    return changed;
}
