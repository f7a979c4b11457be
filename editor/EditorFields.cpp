#include "editor/EditorFields.h"

#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWidgetLookup.h"

void EditorFields::Attach(guiWindow& window, const std::vector<std::string>& names)
{
    for (const std::string& name : names)
        m_Boxes[name] = guiWidgetLookup::Find<guiTextBox>(window, name);
}

std::string EditorFields::Get(const std::string& name) const
{
    guiTextBox* box = Box(name);
    return box != nullptr ? box->GetText() : std::string();
}

void EditorFields::Set(const std::string& name, const std::string& text)
{
    if (guiTextBox* box = Box(name))
        box->SetText(text);
}

guiTextBox* EditorFields::Box(const std::string& name) const
{
    const auto found = m_Boxes.find(name);
    return found != m_Boxes.end() ? found->second : nullptr;
}
