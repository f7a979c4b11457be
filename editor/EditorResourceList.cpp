#include "editor/EditorResourceList.h"

#include "engine/core/kaDirectoryIterator.h"
#include "engine/gui/guiListBox.h"
#include "platform/files/Files.h"

void EditorResourceList::Fill(guiListBox& list, const std::string& folder)
{
    list.Clear(false);
    if (folder.empty())
        return;
    for (const char* pattern : kPatterns)
    {
        const kaDirectoryIterator end;
        for (kaDirectoryIterator it(folder + pattern, kaDirectoryIterator::kEveryEntry); it != end; ++it)
        {
            const std::string path = folder + *it;
            // A folder whose name ends like a picture is not a picture.
            if (platform::IsDirectory(path))
                continue;
            list.AddRow(path, ka::any());
        }
    }
}
