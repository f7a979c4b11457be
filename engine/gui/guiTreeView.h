#pragma once

#include "engine/gui/guiGrid.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiTextParams.h"

#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct guiTreeNode;

// A grid whose rows show the nodes of a tree, each indented by its depth behind an expand icon; a double
// click folds or unfolds a node's children by hiding their rows.
class guiTreeView : public guiGrid
{
public:
    static constexpr uint32_t kLeafIcon = 1000;
    static constexpr uint32_t kExpandedIcon = 1001;
    static constexpr uint32_t kFoldedIcon = 1002;
    static constexpr int32_t kIconSide = 9;
    static constexpr int32_t kIndent = 10;
    static constexpr int32_t kRowHeight = 18;
    // Between the icons and the text.
    static constexpr int32_t kIconGap = 2;
    static constexpr const char* kMinusIcon = "Icon_Minus.tga";
    static constexpr const char* kPlusIcon = "Icon_Plus.tga";

    static const kaClassInfo& StaticClassInfo();

    guiTreeView(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiTreeView(std::istream& stream);
    explicit guiTreeView(kaBinaryStream& stream);
    ~guiTreeView() override;

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // The columns always stay; every node goes.
    void Clear(bool alsoColumns = false) override;

    // A node under the parent (null for the top level) in a new last row, which holds the node as its
    // user value. Rows follow the order nodes are added: add a node's children before its next sibling.
    // Under a folded or hidden parent the row starts hidden.
    guiTreeNode* AddNode(guiTreeNode* parent, const std::string& text, uint32_t imageId = 0,
                         guiWidget* extra = nullptr);
    // Flips the node's expanded flag and shows or hides its descendants' rows.
    void ToggleNode(guiTreeNode* node);

    const std::vector<guiTreeNode*>& GetNodes() const { return m_Nodes; }
    int32_t GetUsedRows() const { return m_UsedRows; }
    guiTextParams& GetTextParams() { return m_TextParams; }
    // The icon of the node's row: its expand icon, then its image when it has one.
    guiGlyph* GetExpandIcon(const guiTreeNode& node) const;
    const std::map<uint32_t, guiImageParams>& GetIcons() const { return m_Icons; }

private:
    void _Init();
    void _BuildRow(guiTreeNode& node);
    void _ApplyFold(guiTreeNode* parent, bool unfold);
    bool _OnDoubleClick(const guiMsgEvent& message);
    void _DeleteNodes();

    int32_t m_UsedRows = 0;
    std::vector<guiTreeNode*> m_Nodes;
    std::map<uint32_t, guiImageParams> m_Icons;
    guiTextParams m_TextParams;
};
