#include "engine/gui/guiTreeView.h"

#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiPlaceholder.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTreeNode.h"
#include "engine/gui/guiWidgetFactoryFor.h"

namespace
{

const guiWidgetFactoryFor<guiTreeView> s_Factory;

guiImageParams Icon(const char* file, float alpha)
{
    guiImageParams params;
    if (file != nullptr)
        params.filename = file;
    params.size = guiCoordPair::Pixels(float(guiTreeView::kIconSide), float(guiTreeView::kIconSide));
    params.foreColor = kaColor::kaColorClamped(1.0f, 1.0f, 1.0f, alpha);
    params.alpha = true;
    return params;
}

} // namespace

const kaClassInfo& guiTreeView::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kTreeViewClass);
}

guiTreeView::guiTreeView(const guiCoordPair& position, const guiCoordPair& size) : guiGrid(position, size)
{
    Setup(1, kRowHeight, 1, {ToPixels(m_Size).x});
    _Init();
}

guiTreeView::guiTreeView(std::istream& stream) : guiGrid(stream)
{
    _Init();
}

guiTreeView::guiTreeView(kaBinaryStream& stream) : guiGrid(stream)
{
    _Init();
}

guiTreeView::~guiTreeView()
{
    _DeleteNodes();
}

void guiTreeView::_Init()
{
    m_Icons[kLeafIcon] = Icon(nullptr, 0.0f);
    m_Icons[kExpandedIcon] = Icon(kMinusIcon, 1.0f);
    m_Icons[kFoldedIcon] = Icon(kPlusIcon, 1.0f);
    AddHandler(gui::kEventDoubleClick,
               [this](const guiMsgEvent& message) { return _OnDoubleClick(message); });
}

void guiTreeView::_DeleteNodes()
{
    for (guiTreeNode* node : m_Nodes)
    {
        if (node->extra != nullptr)
            node->extra->Release();
        delete node;
    }
    m_Nodes.clear();
}

void guiTreeView::Clear(bool /*alsoColumns*/)
{
    guiGrid::Clear(false);
    _DeleteNodes();
    m_UsedRows = 0;
}

guiTreeNode* guiTreeView::AddNode(guiTreeNode* parent, const std::string& text, uint32_t imageId,
                                  guiWidget* extra)
{
    if (!FitsBounds(uint64_t(m_UsedRows) + 1, GetColumnCount()) || GetColumnCount() == 0)
        return nullptr;
    auto* node = new guiTreeNode;
    node->depth = parent != nullptr ? parent->depth + 1 : 1;
    node->parent = parent;
    node->imageId = imageId;
    node->textParams = m_TextParams;
    node->textParams.text = text;
    node->extra = extra;
    // Row rebuilds take the extra widget out and put it back: the node keeps it alive meanwhile.
    if (extra != nullptr)
        extra->AddRef();
    node->row = m_UsedRows;
    // The grid places and sizes the cell's glyph every frame; the indent lives inside it, on the container.
    auto* cell = new guiPlaceholder(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(0, 0));
    auto* container = new guiPlaceholder(guiCoordPair::Pixels(0, 0), guiCoordPair::Relative(1.0f, 1.0f));
    cell->AddChild(container);
    node->container = container;
    SetCell(m_UsedRows, 0, cell);
    SetCellData(node->row, 0, ka::any(node));
    ++m_UsedRows;
    m_Nodes.push_back(node);
    _BuildRow(*node);
    const bool shown = parent == nullptr || (parent->expanded && GetRowHeight(parent->row) > 0);
    SetRowHeight(node->row, shown ? kRowHeight : 0);
    if (parent != nullptr && ++parent->childCount == 1)
        _BuildRow(*parent);
    return node;
}

void guiTreeView::_BuildRow(guiTreeNode& node)
{
    guiGlyph* container = node.container;
    if (container == nullptr)
        return;
    container->RemoveAllChildren();
    node.rowGlyph = new guiText(node.textParams);
    container->SetPosition(guiCoordPair::Pixels(float(kIndent * node.depth - kIndent), 0.0f));
    const uint32_t expand = node.childCount == 0 ? kLeafIcon : node.expanded ? kExpandedIcon : kFoldedIcon;
    int32_t x = 0;
    for (uint32_t id : {expand, node.imageId})
    {
        const auto found = m_Icons.find(id);
        if (found == m_Icons.end())
            continue;
        auto* icon = new guiImage(found->second);
        const kaPoint size = icon->ToPixels(found->second.size);
        icon->SetPosition(guiCoordPair::Pixels(float(x), float((kRowHeight - size.y) / 2)));
        container->AddChild(icon);
        x += size.x + kIconGap;
    }
    node.rowGlyph->SetPosition(guiCoordPair::Pixels(float(x), 0.0f));
    container->AddChild(node.rowGlyph);
    if (node.extra != nullptr)
        container->AddChild(node.extra);
    if (m_DeviceObjectsMade)
        container->CreateDeviceObjectsAll();
    container->SetDirty(true);
}

guiGlyph* guiTreeView::GetExpandIcon(const guiTreeNode& node) const
{
    return node.container != nullptr ? node.container->GetChild(0) : nullptr;
}

void guiTreeView::_ApplyFold(guiTreeNode* parent, bool unfold)
{
    const bool parentShown = GetRowHeight(parent->row) > 0;
    for (guiTreeNode* node : m_Nodes)
    {
        if (node->parent != parent)
            continue;
        const bool show = unfold && parentShown && parent->expanded;
        SetRowHeight(node->row, show ? kRowHeight : 0);
        _ApplyFold(node, unfold);
    }
}

void guiTreeView::ToggleNode(guiTreeNode* node)
{
    if (node == nullptr)
        return;
    node->expanded = !node->expanded;
    _ApplyFold(node, node->expanded);
    _BuildRow(*node);
}

bool guiTreeView::_OnDoubleClick(const guiMsgEvent& /*message*/)
{
    ka::any value = GetSelectedCellData();
    guiTreeNode** node = ka::any_cast<guiTreeNode*>(&value);
    if (node == nullptr)
        return false;
    ToggleNode(*node);
    return true;
}
