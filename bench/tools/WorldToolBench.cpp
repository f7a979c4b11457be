// worldtool's info and resave of the sample course, run in process as the tool runs them (the models built
// on the in-memory device), beside TinyXML parsing the course and the init data and reading raw the files
// of every model they name (the model, and the textures in the "maps" folder beside it); for resave the
// raw side also writes the resaved file's bytes as a durable save must (a temporary file written, synced
// and renamed over the target, and the folder synced), since the command writes them so. InfoRatio and
// ResaveRatio report the command's time over the raw side's.

#include "bench/support/TimeRatio.h"
#include "tools/worldtool/WorldTool.h"

#include "platform/system/DebugOutput.h"

#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

const std::string kContent = TARVOLIN_CONTENT;
const std::string kCourse = kContent + "/Worlds/Editor/Sample Course.xml";

// Every "kmfFilename" text under the element.
void CollectModels(const TiXmlElement* element, std::set<std::string>& models)
{
    for (const TiXmlElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement())
    {
        if (child->ValueStr() == "kmfFilename" && child->GetText())
        {
            std::string name = child->GetText();
            std::replace(name.begin(), name.end(), '\\', '/');
            models.insert(name);
        }
        CollectModels(child, models);
    }
}

// The raw side: the course and init data parsed, and every file of the models they name read whole.
class RawSide
{
public:
    RawSide()
    {
        m_Documents.push_back(kCourse);
        for (const auto& entry : std::filesystem::directory_iterator(kContent + "/InitData"))
            if (entry.path().extension() == ".xml")
                m_Documents.push_back(entry.path().string());
        std::set<std::string> models;
        for (const std::string& file : m_Documents)
        {
            TiXmlDocument document;
            if (document.LoadFile(file.c_str()) && document.RootElement())
                CollectModels(document.RootElement(), models);
        }
        for (const std::string& model : models)
        {
            const std::filesystem::path path = std::filesystem::path(kContent) / model;
            if (!std::filesystem::is_regular_file(path))
                continue;
            m_Files.push_back(path.string());
            const std::filesystem::path maps = path.parent_path() / "maps";
            if (std::filesystem::is_directory(maps))
                for (const auto& entry : std::filesystem::directory_iterator(maps))
                    if (entry.is_regular_file())
                        m_Files.push_back(entry.path().string());
        }
        std::sort(m_Files.begin(), m_Files.end());
        m_Files.erase(std::unique(m_Files.begin(), m_Files.end()), m_Files.end());
        size_t largest = 0;
        for (const std::string& file : m_Files)
            largest = std::max<size_t>(largest, std::filesystem::file_size(file));
        m_Buffer.resize(largest + 1);
    }

    bool Ready() const { return !m_Files.empty(); }
    size_t FileCount() const { return m_Files.size() + m_Documents.size(); }

    // Bytes the raw side writes after its reads, durably, beside the target; none: nothing written.
    void WriteAlso(const std::string& bytes, const std::string& target)
    {
        m_Written = bytes;
        m_Target = target;
    }

    void Run()
    {
        for (const std::string& file : m_Documents)
        {
            TiXmlDocument document;
            benchmark::DoNotOptimize(document.LoadFile(file.c_str()));
        }
        for (const std::string& file : m_Files)
        {
            const int fd = open(file.c_str(), O_RDONLY);
            if (fd < 0)
                continue;
            benchmark::DoNotOptimize(read(fd, m_Buffer.data(), m_Buffer.size()));
            close(fd);
        }
        if (!m_Target.empty())
            _WriteDurably();
    }

    ~RawSide()
    {
        if (!m_Target.empty())
            std::remove(m_Target.c_str());
    }

private:
    void _WriteDurably()
    {
        const std::string temporary = m_Target + ".tmp";
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (fd < 0)
            return;
        benchmark::DoNotOptimize(write(fd, m_Written.data(), m_Written.size()));
        fsync(fd);
        close(fd);
        std::rename(temporary.c_str(), m_Target.c_str());
        const int folder = open(std::filesystem::path(m_Target).parent_path().c_str(), O_RDONLY | O_DIRECTORY);
        if (folder >= 0)
        {
            fsync(folder);
            close(folder);
        }
    }

    std::vector<std::string> m_Documents;
    std::string m_Written;
    std::string m_Target;
    std::vector<std::string> m_Files;
    std::vector<char> m_Buffer;
};

// The tool's diagnostic lines are not part of its work here.
class QuietDebug
{
public:
    QuietDebug() : m_Sink(platform::SetDebugSink([](const std::string&) {})) {}
    ~QuietDebug() { platform::SetDebugSink(m_Sink); }

private:
    platform::DebugSink m_Sink;
};

int Info()
{
    std::ostringstream out, errors;
    return WorldTool::Info(kCourse, out, errors);
}

int Resave(const std::string& target)
{
    std::ostringstream errors;
    return WorldTool::Resave(kCourse, target, errors);
}

void InfoRatio(benchmark::State& state)
{
    QuietDebug quiet;
    RawSide raw;
    if (!raw.Ready() || Info() != 0)
        return state.SkipWithError("no sample course or it does not load");
    bool ok = true;
    TimeRatio(
        state, [&] { ok = ok && Info() == 0; }, [&] { raw.Run(); });
    if (!ok)
        state.SkipWithError("info failed");
    state.counters["raw_files"] = static_cast<double>(raw.FileCount());
}
BENCHMARK(InfoRatio)->Unit(benchmark::kMillisecond);

void ResaveRatio(benchmark::State& state)
{
    QuietDebug quiet;
    RawSide raw;
    const std::string target =
        (std::filesystem::temp_directory_path() / "tarvolin_resave_bench.xml").string();
    if (!raw.Ready() || Resave(target) != 0)
        return state.SkipWithError("no sample course or it does not resave");
    std::ifstream saved(target, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    if (bytes.empty())
        return state.SkipWithError("the resaved course is empty");
    raw.WriteAlso(bytes, target + ".raw");
    bool ok = true;
    TimeRatio(
        state, [&] { ok = ok && Resave(target) == 0; }, [&] { raw.Run(); });
    std::remove(target.c_str());
    if (!ok)
        state.SkipWithError("resave failed");
}
BENCHMARK(ResaveRatio)->Unit(benchmark::kMillisecond);

} // namespace
