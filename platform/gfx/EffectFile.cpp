#include "platform/gfx/EffectFile.h"

#include "platform/files/Files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace platform
{

namespace
{

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool ParseNumber(const std::string& word, uint32_t& value)
{
    if (word.empty() || word[0] == '-')
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(word.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || parsed > 0xFFFFFFFFull)
        return false;
    value = uint32_t(parsed);
    return true;
}

} // namespace

bool EffectFile::Parse(const std::string& text, std::string& error)
{
    m_Techniques.clear();
    error.clear();
    if (text.size() > kMaxFileBytes)
    {
        error = "file too large";
        return false;
    }
    std::istringstream in(text);
    std::string raw;
    uint32_t lineNumber = 0;
    std::string* source = nullptr;
    uint32_t sourceLine = 0;
    auto fail = [&](const std::string& why)
    {
        error = "line " + std::to_string(lineNumber) + ": " + why;
        m_Techniques.clear();
        return false;
    };
    while (std::getline(in, raw))
    {
        ++lineNumber;
        const std::string line = Trim(raw);
        if (source)
        {
            if (line == "endshader")
                source = nullptr;
            else
                *source += raw + "\n";
            continue;
        }
        if (line.empty() || line.compare(0, 2, "//") == 0)
            continue;
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        std::vector<std::string> args;
        for (std::string word; words >> word;)
            args.push_back(word);

        if (keyword == "technique")
        {
            if (args.size() != 1)
                return fail("a technique needs one name");
            if (m_Techniques.size() >= kMaxTechniques)
                return fail("too many techniques");
            m_Techniques.push_back(Technique{args[0], {}});
            continue;
        }
        if (m_Techniques.empty())
            return fail("'" + keyword + "' outside a technique");
        Technique& technique = m_Techniques.back();
        if (keyword == "pass")
        {
            if (args.size() != 1)
                return fail("a pass needs one name");
            if (technique.passes.size() >= kMaxPasses)
                return fail("too many passes");
            Pass pass;
            pass.name = args[0];
            pass.line = lineNumber;
            technique.passes.push_back(pass);
            continue;
        }
        if (technique.passes.empty())
            return fail("'" + keyword + "' outside a pass");
        Pass& pass = technique.passes.back();
        if (keyword == "renderstate")
        {
            RenderState state;
            if (args.size() != 2 || !ParseNumber(args[0], state.state) || !ParseNumber(args[1], state.value))
                return fail("renderstate needs a state number and a value");
            if (pass.renderStates.size() >= kMaxStates)
                return fail("too many states");
            pass.renderStates.push_back(state);
        }
        else if (keyword == "samplerstate")
        {
            SamplerState state;
            if (args.size() != 3 || !ParseNumber(args[0], state.sampler) ||
                !ParseNumber(args[1], state.state) || !ParseNumber(args[2], state.value))
                return fail("samplerstate needs a sampler, a state number and a value");
            if (pass.samplerStates.size() >= kMaxStates)
                return fail("too many states");
            pass.samplerStates.push_back(state);
        }
        else if (keyword == "vertexshader" || keyword == "fragmentshader")
        {
            if (!args.empty())
                return fail(keyword + " takes its source on the lines below");
            source = keyword == "vertexshader" ? &pass.vertexSource : &pass.fragmentSource;
            if (!source->empty())
                return fail("a second " + keyword + " in one pass");
            sourceLine = lineNumber;
        }
        else
            return fail("unknown keyword '" + keyword + "'");
    }
    if (source)
    {
        lineNumber = sourceLine;
        return fail("shader without endshader");
    }
    if (m_Techniques.empty())
        return fail("no technique");
    for (const Technique& technique : m_Techniques)
        if (technique.passes.empty())
        {
            error = "technique " + technique.name + " has no pass";
            m_Techniques.clear();
            return false;
        }
    return true;
}

bool EffectFile::Load(const std::string& path, std::string& error)
{
    m_Techniques.clear();
    FILE* file = OpenFile(path.c_str(), "rb");
    if (!file)
    {
        error = "cannot open the file";
        return false;
    }
    std::string text;
    char buffer[4096];
    size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
    {
        text.append(buffer, read);
        if (text.size() > kMaxFileBytes)
            break;
    }
    std::fclose(file);
    return Parse(text, error);
}

} // namespace platform
