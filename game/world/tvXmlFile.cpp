#include "game/world/tvXmlFile.h"

#include "engine/core/kaFileSystem.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "platform/files/Files.h"
#include "platform/system/DebugOutput.h"

#include <tinyxml.h>

#include <cstdio>

bool tvXmlFile::Load(TiXmlDocument& document, const std::string& path)
{
    const std::string found = ResolvePath(path);
    FILE* file = found.empty() ? nullptr : OpenFile(found, "rb");
    if (!file)
        return false;
    const bool loaded = LoadXmlDocument(document, file, path);
    std::fclose(file);
    return loaded;
}

bool tvXmlFile::Save(const TiXmlDocument& document, const std::string& path, const char* caller)
{
    // A fresh install may lack the folder; the file layer resolves any spelling of one that exists.
    const std::string target = platform::NativePath(path);
    const size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos || slash == 0 ? std::string() : target.substr(0, slash);
    if (!folder.empty() && !platform::IsDirectory(folder) && !platform::CreateDirectory(folder))
    {
        platform::DebugPrintf("[%s] : %s not saved, its folder cannot be made\n", caller, path.c_str());
        return false;
    }
    if (SaveXmlDocument(document, path))
        return true;
    platform::DebugPrintf("[%s] : %s not saved, the file could not be written; the old one stays\n", caller,
                          path.c_str());
    return false;
}

bool tvXmlFile::LoadRoot(const std::string& path, const char* root,
                         const std::function<void(const TiXmlElement*)>& read, const char* caller,
                         const char* badNumber)
{
    TiXmlDocument document;
    if (!Load(document, path))
        return false;
    try
    {
        read(document.FirstChildElement(root));
    }
    catch (const ka::bad_lexical_cast&)
    {
        if (!badNumber)
            throw;
        platform::DebugPrintf("[%s] : %s %s\n", caller, path.c_str(), badNumber);
        return false;
    }
    return true;
}

bool tvXmlFile::SaveRoot(const std::string& path, const char* root,
                         const std::function<void(TiXmlElement*)>& write, const char* caller)
{
    TiXmlDocument document;
    write(AppendElement(&document, root));
    return Save(document, path, caller);
}
