#include "engine/gui/guiProxy.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/core/kaStringUtils.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiWidgetFactoryFor.h"

#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <vector>

namespace
{

const guiWidgetFactoryFor<guiProxy> s_Factory;

// The files being embedded, outermost first, as the names compare.
std::vector<std::string> g_Embedding;

std::string ChainKey(const std::string& name)
{
    std::string key = ToLower(name);
    std::replace(key.begin(), key.end(), '\\', '/');
    return key;
}

class EmbeddingStep
{
public:
    explicit EmbeddingStep(const std::string& key) { g_Embedding.push_back(key); }
    ~EmbeddingStep() { g_Embedding.pop_back(); }
    EmbeddingStep(const EmbeddingStep&) = delete;
    EmbeddingStep& operator=(const EmbeddingStep&) = delete;
};

} // namespace

const kaClassInfo& guiProxy::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kProxyClass);
}

guiProxy::guiProxy(const guiCoordPair& position, const guiCoordPair& size)
{
    m_HitListFlag = false;
    SetPosition(position);
    SetSize(size);
}

guiProxy::guiProxy(std::istream& stream)
{
    m_HitListFlag = false;
    guiProxy::ReadText(stream);
}

guiProxy::guiProxy(kaBinaryStream& stream)
{
    m_HitListFlag = false;
    guiProxy::ReadBinary(stream);
}

void guiProxy::SetFilename(const std::string& name)
{
    RemoveAllChildren();
    m_Filename = name;
    if (name.empty())
        return;
    const std::string key = ChainKey(name);
    if (std::find(g_Embedding.begin(), g_Embedding.end(), key) != g_Embedding.end())
    {
        platform::OutputDebugString("[guiProxy::SetFilename] : " + name +
                                    " embeds itself; it is not embedded again\n");
        return;
    }
    if (static_cast<int>(g_Embedding.size()) >= kMaxEmbedding)
    {
        platform::OutputDebugString("[guiProxy::SetFilename] : " + name +
                                    " stands too deep in embedded files; it is not embedded\n");
        return;
    }
    guiGlyph* root = nullptr;
    {
        EmbeddingStep step(key);
        root = gui::LoadLayout(name);
    }
    if (root == nullptr)
        return;
    // AddChild makes the new tree's device objects when the proxy's exist.
    AddChild(root);
    root->SetSaveable(false);
}

void guiProxy::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Filename", m_Filename);
    guiGlyph::WriteText(stream);
}

void guiProxy::ReadText(std::istream& stream)
{
    std::string name;
    gui::ReadTextField(stream, name);
    SetFilename(CollapseParentDirs(name));
    guiGlyph::ReadText(stream);
}

void guiProxy::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteString(m_Filename);
    guiGlyph::WriteBinary(stream);
}

void guiProxy::ReadBinary(kaBinaryStream& stream)
{
    std::string name;
    gui::ReadBinaryString(stream, name);
    SetFilename(name);
    guiGlyph::ReadBinary(stream);
}

void guiProxy::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertFileName("Filename", m_Filename, kBrowseFilter);
    guiGlyph::GetProperties(sheet);
}

void guiProxy::SetProperties(const GuiParamTable& sheet)
{
    if (const GuiParamTable::Entry* entry = sheet.Find("Filename"))
        SetFilename(GuiParamTable::FirstLine(entry->text));
    guiGlyph::SetProperties(sheet);
}
