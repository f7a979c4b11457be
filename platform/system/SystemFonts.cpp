#include "platform/system/SystemFonts.h"

#include <fontconfig/fontconfig.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace platform
{

namespace
{

const char* const kSystemFontsFolder = "/usr/share/fonts";

// Fontconfig keeps its configuration until told to let it go; it is let go at exit so that leak checkers
// see nothing of it.
bool StartFontconfig()
{
    static const bool started = []
    {
        if (!FcInit())
            return false;
        std::atexit([] { FcFini(); });
        return true;
    }();
    return started;
}

std::string& FixtureFolder()
{
    static std::string folder;
    return folder;
}

bool IsRegularFile(const std::string& path)
{
    struct stat info;
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string BaseName(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FileOf(FcPattern* font)
{
    FcChar8* file = nullptr;
    if (font && FcPatternGetString(font, FC_FILE, 0, &file) == FcResultMatch && file)
        return reinterpret_cast<const char*>(file);
    return std::string();
}

// An installed font whose file carries the name, compared without regard to case.
std::string FindInstalledFile(const std::string& fileName)
{
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet* fonts = pattern && objects ? FcFontList(nullptr, pattern, objects) : nullptr;
    std::string found;
    const std::string wanted = Lower(fileName);
    for (int i = 0; fonts && i < fonts->nfont && found.empty(); ++i)
    {
        const std::string file = FileOf(fonts->fonts[i]);
        if (Lower(BaseName(file)) == wanted && IsRegularFile(file))
            found = file;
    }
    if (fonts)
        FcFontSetDestroy(fonts);
    if (objects)
        FcObjectSetDestroy(objects);
    if (pattern)
        FcPatternDestroy(pattern);
    return found;
}

std::string MatchFamily(const std::string& family)
{
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return std::string();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string file = result == FcResultMatch ? FileOf(match) : std::string();
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return IsRegularFile(file) ? file : std::string();
}

} // namespace

std::string GetFontsFolder()
{
    return FixtureFolder().empty() ? kSystemFontsFolder : FixtureFolder();
}

void SetFontsFolder(const std::string& folder)
{
    FixtureFolder() = folder;
}

std::string ResolveFontFile(const std::string& path)
{
    std::string file = path;
    std::replace(file.begin(), file.end(), '\\', '/');
    if (IsRegularFile(file))
        return file;

    const std::string folder = GetFontsFolder() + "/";
    const bool inFontsFolder = file.compare(0, folder.size(), folder) == 0;
    if (!inFontsFolder || !FixtureFolder().empty())
        return std::string();
    const std::string name = file.substr(folder.size());
    if (name.empty() || name.find('/') != std::string::npos || !StartFontconfig())
        return std::string();

    std::string found = FindInstalledFile(name);
    if (found.empty())
    {
        const size_t dot = name.find_last_of('.');
        found = MatchFamily(dot == std::string::npos ? name : name.substr(0, dot));
    }
    return found;
}

} // namespace platform
