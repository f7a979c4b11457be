#include "bench/support/TimeRatio.h"
#include "tools/guigen/GuiContent.h"

#include "engine/gui/guiGlyph.h"
#include "engine/gui/guiLayout.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

// The showcase written into a folder of its own, which becomes the current one so that its proxy finds
// its part.
class ShowcaseFolder
{
public:
    ShowcaseFolder()
    {
        char pattern[] = "/tmp/tarvolin-gui-bench-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr)
            std::abort();
        m_Path = made;
        if (chdir(m_Path.c_str()) != 0)
            std::abort();
        std::string error;
        if (!guigen::WriteContent(".", error))
            std::abort();
    }
    ~ShowcaseFolder() { std::filesystem::remove_all(m_Path); }

private:
    std::string m_Path;
};

const ShowcaseFolder& Folder()
{
    static const ShowcaseFolder folder;
    return folder;
}

// Baseline: the file's bytes read into memory and nothing more.
void BM_ReadShowcaseBytesRaw(benchmark::State& state, const char* file)
{
    Folder();
    for (auto _ : state)
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        benchmark::DoNotOptimize(bytes.str().size());
    }
}

void BM_LoadShowcase(benchmark::State& state, const char* file)
{
    Folder();
    for (auto _ : state)
    {
        guiGlyph* root = gui::LoadLayout(file);
        if (root == nullptr)
        {
            state.SkipWithError("the showcase does not load");
            break;
        }
        benchmark::DoNotOptimize(root->GetChildCount());
        root->Release();
    }
}

// Both in each iteration: the layout loaded, then its file's bytes read raw (open, one read, close). The
// counter is load time over read time.
void LayoutLoadRatio(benchmark::State& state, const char* file)
{
    Folder();
    std::vector<char> buffer(1 << 20);
    bool loaded = true;
    TimeRatio(
        state,
        [&]
        {
            guiGlyph* root = gui::LoadLayout(file);
            loaded = loaded && root != nullptr;
            if (root)
            {
                benchmark::DoNotOptimize(root->GetChildCount());
                root->Release();
            }
        },
        [&]
        {
            const int fd = open(file, O_RDONLY);
            if (fd < 0)
                return;
            benchmark::DoNotOptimize(read(fd, buffer.data(), buffer.size()));
            close(fd);
        });
    if (!loaded)
        state.SkipWithError("the showcase does not load");
}

BENCHMARK_CAPTURE(LayoutLoadRatio, text, guigen::kShowcaseText)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LayoutLoadRatio, binary, guigen::kShowcaseBinary)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ReadShowcaseBytesRaw, text, guigen::kShowcaseText);
BENCHMARK_CAPTURE(BM_LoadShowcase, text, guigen::kShowcaseText);
BENCHMARK_CAPTURE(BM_ReadShowcaseBytesRaw, binary, guigen::kShowcaseBinary);
BENCHMARK_CAPTURE(BM_LoadShowcase, binary, guigen::kShowcaseBinary);

} // namespace
