#pragma once

#include <map>
#include <string>
#include <vector>

class guiTextBox;
class guiWindow;

// The text boxes of a dialog by name. A name the layout lacks reads as empty and takes no text.
class EditorFields
{
public:
    void Attach(guiWindow& window, const std::vector<std::string>& names);
    // A copy of the box's text.
    std::string Get(const std::string& name) const;
    void Set(const std::string& name, const std::string& text);
    guiTextBox* Box(const std::string& name) const;

private:
    std::map<std::string, guiTextBox*> m_Boxes;
};
