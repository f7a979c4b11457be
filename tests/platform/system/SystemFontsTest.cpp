#include "platform/system/SystemFonts.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <sys/stat.h>

#include <algorithm>

namespace
{

bool Exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Whether FreeType reads a face from the file: fontconfig may answer with TrueType, OpenType (.otf)
// or Type 1 files, and the font code takes any of them.
bool OpensAsAFace(const std::string& path)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return false;
    FT_Face face = nullptr;
    const bool opened = FT_New_Face(library, path.c_str(), 0, &face) == 0;
    if (opened)
        FT_Done_Face(face);
    FT_Done_FreeType(library);
    return opened;
}

std::string BaseName(const std::string& path)
{
    return path.substr(path.find_last_of('/') + 1);
}

TEST(SystemFontsTest, WindowsFamilyInTheFontsFolderResolvesToAnInstalledFace)
{
    const std::string file = platform::ResolveFontFile(platform::GetFontsFolder() + "\\Arial.ttf");
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(Exists(file));
    EXPECT_TRUE(OpensAsAFace(file)) << file;
}

TEST(SystemFontsTest, InstalledFileNameIsFoundWhateverItsCase)
{
    const std::string file = platform::ResolveFontFile(platform::GetFontsFolder() + "\\dejavusans-BOLD.TTF");
    EXPECT_EQ(BaseName(file), "DejaVuSans-Bold.ttf");
}

TEST(SystemFontsTest, ExistingFileIsUsedAsItIs)
{
    testsupport::TempDir dir;
    const std::string file = dir.Write("face.ttf", "not really a face");
    std::string windowsPath = file;
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    EXPECT_EQ(platform::ResolveFontFile(windowsPath), file);
    EXPECT_FALSE(OpensAsAFace(file));
    EXPECT_EQ(platform::ResolveFontFile(dir.File("missing.ttf")), "");
}

TEST(SystemFontsTest, FixtureFolderStandsInForTheInstalledFonts)
{
    testsupport::TempDir dir;
    dir.Write("Face.ttf", "x");
    platform::SetFontsFolder(dir.Path());
    EXPECT_EQ(platform::GetFontsFolder(), dir.Path());
    EXPECT_EQ(platform::ResolveFontFile(dir.Path() + "\\Face.ttf"), dir.Path() + "/Face.ttf");
    // Without the system's fonts a family name finds nothing.
    EXPECT_EQ(platform::ResolveFontFile(dir.Path() + "\\Arial.ttf"), "");
    platform::SetFontsFolder("");
    EXPECT_NE(platform::GetFontsFolder(), dir.Path());
}

} // namespace
