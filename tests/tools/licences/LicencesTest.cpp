#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace
{

std::string ReadLicence(const std::string& name)
{
    std::ifstream in(std::string(TARVOLIN_CONTENT_DIR) + "/licences/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

// The credits send players to the install's licences folder: it holds the text of every library and font
// the install and its programs carry, each naming its holder and its terms.
TEST(LicencesFolder, HoldsTheTextOfEachLibraryAndFontTheInstallCarries)
{
    const struct
    {
        const char* file;
        const char* holder;
        const char* terms;
    } cases[] = {
        {"DejaVu-fonts.txt", "DejaVu", "Bitstream Vera"},
        {"ODE.txt", "Russell L. Smith", "BSD"},
        {"SDL2.txt", "Sam Lantinga", "zlib"},
        {"TinyXML.txt", "Lee Thomason", "must not be misrepresented"},
        {"FreeType.txt", "FreeType Project", "FTL"},
        {"zlib.txt", "Jean-loup Gailly", "Mark Adler"},
        {"libsndfile.txt", "Erik de Castro Lopo", "LGPL"},
        {"Boost.txt", "Boost", "Boost Software License"},
        {"LGPL-2.1.txt", "Free Software Foundation", "GNU LESSER GENERAL PUBLIC LICENSE"},
    };
    for (const auto& c : cases)
    {
        const std::string text = ReadLicence(c.file);
        ASSERT_FALSE(text.empty()) << c.file;
        EXPECT_NE(text.find(c.holder), std::string::npos) << c.file;
        EXPECT_NE(text.find(c.terms), std::string::npos) << c.file;
    }
    // Nothing else: the folder holds these texts only.
    int count = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(TARVOLIN_CONTENT_DIR) + "/licences"))
        count += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(count, int(std::size(cases)));
}
