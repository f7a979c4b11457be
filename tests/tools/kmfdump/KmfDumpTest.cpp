#include "tests/support/RunCommand.h"
#include "tests/support/engine/model/KmfSamples.h"
#include "tests/support/engine/model/KmfTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace
{

testsupport::CommandResult Dump(const std::string& arguments)
{
    return testsupport::RunCommand(std::string(KMFDUMP_PATH) + " " + arguments + " 2>/dev/null");
}

std::string Golden()
{
    std::ifstream in(std::string(KMF_TEST_DATA) + "/sample_model.txt", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(KmfDumpTest, PrintsTheTextFormOfAModelFile)
{
    kmftest::Files files;
    ASSERT_FALSE(files.Written(kmfsamples::WriteModel, KM_Stream::kBinary, "model.kmf").empty());
    const testsupport::CommandResult run = Dump("'" + files.Path("model.kmf") + "'");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, Golden());
}

TEST(KmfDumpTest, FailsOnMissingOrDamagedFiles)
{
    kmftest::Files files;
    EXPECT_EQ(Dump("'" + files.Path("missing.kmf") + "'").status, 1);
    EXPECT_EQ(Dump("").status, 2);
    const std::string scene =
        files.Written([](KM_Stream* s) { return s->WriteHeader() && kmfsamples::Scene()->Write(s); });
    // The file ends two bytes into the next type id.
    files.Put("cut.kmf", scene + std::string(2, '\x12'));
    const testsupport::CommandResult cut = Dump("'" + files.Path("cut.kmf") + "'");
    EXPECT_EQ(cut.status, 1);
    // What was read before the damage is still shown.
    EXPECT_EQ(cut.output.rfind("*SCENE\n{\n", 0), 0u);
}
