#include "engine/gui/guiClassRecords.h"

#include "engine/core/kaClassInfo.h"

#include <map>
#include <memory>

namespace gui
{

namespace
{

constexpr uint32_t kNoParent = 0xFFFFFFFF;

struct RecordRow
{
    const char* name;
    uint32_t id;
    uint32_t parent;
};

constexpr RecordRow kRecordRows[] = {
    {"[Glyph]", kGlyphClass, kNoParent},
    {"[Image]", kImageClass, kGlyphClass},
    {"[Background]", kBackgroundClass, kDecoratorClass},
    {"[Border]", kBorderClass, kDecoratorClass},
    {"[Cursor]", kCursorClass, kWidgetClass},
    {"[DisplayBox]", kDisplayBoxClass, kScrollableClass},
    {"[TextBox]", kTextBoxClass, kWidgetClass},
    {"[Grid]", kGridClass, kScrollableClass},
    {"[ScrollBar]", kScrollBarClass, kWidgetClass},
    {"[Button]", kButtonClass, kWidgetClass},
    {"[Window]", kWindowClass, kWidgetClass},
    {"[Slider]", kSliderClass, kWidgetClass},
    {"[DropDown]", kDropDownClass, kWidgetClass},
    {"[Lines]", kLinesClass, kGlyphClass},
    {"[ListBox]", kListBoxClass, kGridClass},
    {"[Widget]", kWidgetClass, kGlyphClass},
    {"[Decorator]", kDecoratorClass, kWidgetClass},
    {"[Scrollable]", kScrollableClass, kWidgetClass},
    {"[Caption]", kCaptionClass, kDecoratorClass},
    {"[Text]", kTextClass, kGlyphClass},
    {"[Group]", kGroupClass, kWidgetClass},
    {"[SplitFrame]", kSplitFrameClass, kWidgetClass},
    {"[CheckBox]", kCheckBoxClass, kButtonClass},
    {"[TreeView]", kTreeViewClass, kGridClass},
    {"[Proxy]", kProxyClass, kGlyphClass},
    {"[Placeholder]", kPlaceholderClass, kWidgetClass},
    {"[OptionGroup]", kOptionGroupClass, kWidgetClass},
    {"[Scroller]", kScrollerClass, kDecoratorClass},
    {"[Rectangle]", kRectangleClass, kGlyphClass},
};

const RecordRow* FindRow(uint32_t id)
{
    for (const RecordRow& row : kRecordRows)
        if (row.id == id)
            return &row;
    return nullptr;
}

class RecordTable
{
public:
    RecordTable()
    {
        for (const RecordRow& row : kRecordRows)
            _Make(row);
        for (const auto& entry : m_Records)
            m_InIdOrder.push_back(entry.second.get());
    }

    const kaClassInfo* Find(uint32_t id) const
    {
        const auto found = m_Records.find(id);
        return found == m_Records.end() ? nullptr : found->second.get();
    }

    const std::vector<const kaClassInfo*>& InIdOrder() const { return m_InIdOrder; }

private:
    // A parent is made before the records that name it.
    const kaClassInfo* _Make(const RecordRow& row)
    {
        if (const kaClassInfo* made = Find(row.id))
            return made;
        const kaClassInfo* parent = nullptr;
        if (const RecordRow* parentRow = FindRow(row.parent))
            parent = _Make(*parentRow);
        auto record = std::make_unique<kaClassInfo>(row.name, row.id, parent);
        const kaClassInfo* made = record.get();
        m_Records.emplace(row.id, std::move(record));
        return made;
    }

    std::map<uint32_t, std::unique_ptr<kaClassInfo>> m_Records;
    std::vector<const kaClassInfo*> m_InIdOrder;
};

const RecordTable& Table()
{
    static const RecordTable table;
    return table;
}

} // namespace

const kaClassInfo* GetClassRecord(uint32_t id)
{
    return Table().Find(id);
}

const std::vector<const kaClassInfo*>& GetClassRecords()
{
    return Table().InIdOrder();
}

bool IsA(const kaClassInfo& record, const kaClassInfo& ancestor)
{
    for (const kaClassInfo* step = &record; step != nullptr; step = step->GetParent())
        if (step == &ancestor)
            return true;
    return false;
}

} // namespace gui
