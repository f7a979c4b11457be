#include "platform/registry/Registry.h"
#include "platform/registry/MemoryRegistry.h"
#include "platform/registry/RegistryFile.h"

#include "tests/support/ScopedVariable.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>


namespace
{

const char* const kKey = "SOFTWARE\\Kalder Arts\\Tarvolin";

// Points TARVOLIN_REGISTRY at a file for one test.
// The registry file named for the lifetime of a test.
class RegistryVariable : public testsupport::ScopedVariable
{
public:
    explicit RegistryVariable(const std::string& path) : ScopedVariable("TARVOLIN_REGISTRY", path) {}
};

TEST(RegistryFile, ReadsValuesByKeyAndNameWithoutCase)
{
    testsupport::TempDir dir;
    const std::string path =
        dir.Write("registry.cfg", "# install keys\n"
                                  "\n"
                                  "SOFTWARE\\Kalder Arts\\Tarvolin\\INSTALLTYPE=1\r\n"
                                  "  software\\kalder arts\\tarvolin\\FullInstallPath = /opt/game/ \n"
                                  "SOFTWARE\\Kalder Arts\\Tarvolin\\INSTALLTYPE=2\n"
                                  "no separator=3\n"
                                  "SOFTWARE\\Other\n");
    platform::RegistryFile file;
    ASSERT_TRUE(file.Load(path));
    std::string value;
    EXPECT_TRUE(file.KeyExists("software\\KALDER ARTS\\tarvolin"));
    EXPECT_TRUE(file.KeyExists(std::string(kKey) + "\\"));
    ASSERT_TRUE(file.QueryValue(kKey, "installtype", value));
    EXPECT_EQ(value, "1"); // the first line for a value wins
    ASSERT_TRUE(file.QueryValue(kKey, "FULLINSTALLPATH", value));
    EXPECT_EQ(value, "/opt/game/");
    EXPECT_FALSE(file.QueryValue(kKey, "MINIMALINSTALLPATH", value));
    EXPECT_FALSE(file.KeyExists("SOFTWARE\\Other"));
    EXPECT_FALSE(file.KeyExists("no separator"));
}

TEST(RegistryFile, MissingFileHoldsNoKeys)
{
    testsupport::TempDir dir;
    platform::RegistryFile file;
    file.Set(kKey, "INSTALLTYPE", "1");
    EXPECT_FALSE(file.Load(dir.File("absent.cfg")));
    EXPECT_FALSE(file.KeyExists(kKey));
}

TEST(RegistryFile, DefaultPathFollowsTheVariableElseSitsBesideTheExecutable)
{
    {
        RegistryVariable variable("/somewhere/keys.cfg");
        EXPECT_EQ(platform::RegistryFile::DefaultPath(), "/somewhere/keys.cfg");
    }
    RegistryVariable empty("");
    const std::string path = platform::RegistryFile::DefaultPath();
    EXPECT_EQ(path.substr(path.rfind('/')), "/registry.cfg");
    EXPECT_EQ(path.front(), '/');
}

TEST(Registry, QueriesReadTheFileNamedByTheVariable)
{
    testsupport::TempDir dir;
    RegistryVariable variable(
        dir.Write("keys.cfg", "SOFTWARE\\Kalder Arts\\Tarvolin\\FULLINSTALLPATH=C:\\Game\n"));
    std::string value;
    ASSERT_TRUE(platform::QueryRegistryString(kKey, "FULLINSTALLPATH", value));
    EXPECT_EQ(value, "C:\\Game");

    // An edited file is seen on the next query.
    dir.Write("keys.cfg", "SOFTWARE\\Kalder Arts\\Tarvolin\\INSTALLTYPE=7\n");
    EXPECT_FALSE(platform::QueryRegistryString(kKey, "FULLINSTALLPATH", value));
    uint32_t type = 0;
    ASSERT_TRUE(platform::QueryRegistryDword(kKey, "INSTALLTYPE", type));
    EXPECT_EQ(type, 7u);
}

TEST(Registry, MemoryRegistryStandsInForItsLifetime)
{
    testsupport::TempDir dir;
    RegistryVariable variable(dir.Write("keys.cfg", "SOFTWARE\\Kalder Arts\\Tarvolin\\INSTALLTYPE=1\n"));
    uint32_t type = 0;
    {
        platform::MemoryRegistry memory;
        EXPECT_FALSE(platform::GetRegistry().KeyExists(kKey));
        memory.Set(kKey, "INSTALLTYPE", "5");
        ASSERT_TRUE(platform::QueryRegistryDword(kKey, "INSTALLTYPE", type));
        EXPECT_EQ(type, 5u);
    }
    ASSERT_TRUE(platform::QueryRegistryDword(kKey, "INSTALLTYPE", type));
    EXPECT_EQ(type, 1u);
}

TEST(Registry, DwordAcceptsDecimalAndHexOnly)
{
    platform::MemoryRegistry memory;
    const struct
    {
        const char* text;
        bool ok;
        uint32_t value;
    } cases[] = {
        {"0", true, 0},     {"4294967295", true, 0xFFFFFFFFu},
        {"0x1F", true, 31}, {"4294967296", false, 0},
        {"-1", false, 0},   {" 1", false, 0},
        {"1x", false, 0},   {"", false, 0},
        {"0x", false, 0},   {"+3", false, 0},
        {"0x-1", false, 0},
    };
    for (const auto& c : cases)
    {
        memory.Set(kKey, "INSTALLTYPE", c.text);
        uint32_t value = 12345;
        EXPECT_EQ(platform::QueryRegistryDword(kKey, "INSTALLTYPE", value), c.ok) << c.text;
        EXPECT_EQ(value, c.ok ? c.value : 12345u) << c.text;
    }
}

} // namespace
