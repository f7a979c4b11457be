#include "engine/render/kaConfigFile.h"

#include "engine/core/kaFileSystem.h"
#include "engine/core/kaStringUtils.h"
#include "platform/files/Files.h"
#include "platform/files/SafeFileWriter.h"

#include <cctype>
#include <cstdio>
#include <limits>

namespace
{

// One piece of a line as a 256-byte line buffer holds it: up to and including a line feed, at most 255
// characters. Read byte by byte so that a stray NUL is copied like any other byte.
bool ReadPiece(FILE* file, std::string& piece)
{
    piece.clear();
    while (piece.size() < kaConfigFile::kLineBufferSize - 1)
    {
        const int c = std::getc(file);
        if (c == EOF)
            break;
        piece.push_back(static_cast<char>(c));
        if (c == '\n')
            break;
    }
    return !piece.empty();
}

// The file is text: a line written with a carriage return before its line feed reads like one without.
std::string AsTextLine(const std::string& piece)
{
    const size_t size = piece.size();
    if (size >= 2 && piece[size - 2] == '\r' && piece[size - 1] == '\n')
        return piece.substr(0, size - 2) + "\n";
    return piece;
}

// "[Begin ... Config]\n" in any case: the start of some section.
bool IsBeginMarker(const std::string& line)
{
    static const std::string kBegin = "[begin ";
    return line.size() > kBegin.size() + 2 && ToLower(line.substr(0, kBegin.size())) == kBegin &&
           line.compare(line.size() - 2, 2, "]\n") == 0;
}

class FileCloser
{
public:
    explicit FileCloser(FILE* file) : m_File(file) {}
    ~FileCloser()
    {
        if (m_File)
            std::fclose(m_File);
    }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;

private:
    FILE* m_File;
};

} // namespace

bool kaConfigFile::EqualsNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && ToLower(a) == ToLower(b);
}

bool kaConfigFile::_IsMarker(const std::string& line, const std::string& marker, MarkerMatch match)
{
    return match == MarkerMatch::kExact ? line == marker : EqualsNoCase(line, marker);
}

bool kaConfigFile::ReadSection(const std::string& fileName, const std::string& beginMarker,
                               const std::string& endMarker, const LineHandler& handler, MarkerMatch match)
{
    if (fileName.empty())
        return false;
    FILE* file = OpenFile(fileName, "r");
    if (!file)
        return false;
    FileCloser closer(file);

    std::string piece;
    bool found = false;
    while (!found && ReadPiece(file, piece))
        found = _IsMarker(AsTextLine(piece), beginMarker, match);
    if (!found)
        return false;

    while (ReadPiece(file, piece))
    {
        const std::string line = AsTextLine(piece);
        if (line == endMarker)
            break;
        handler(line);
    }
    return true;
}

bool kaConfigFile::WriteSection(const std::string& fileName, const std::string& beginMarker,
                                const std::string& endMarker, const std::string& body, MarkerMatch match)
{
    if (fileName.empty())
        return false;
    platform::SafeFileWriter out(fileName);
    if (!out.File())
        return false;
    bool ok = true;
    auto write = [&](const std::string& text) { ok = out.Write(text) && ok; };

    FILE* in = OpenFile(fileName, "r");
    std::string piece;
    bool inSection = false;
    bool lineOpen = false;
    if (in)
    {
        while (ReadPiece(in, piece))
        {
            if (_IsMarker(AsTextLine(piece), beginMarker, match))
            {
                inSection = true;
                break;
            }
            write(piece);
            lineOpen = piece.back() != '\n';
        }
    }

    // A last line without its line feed is ended, or the marker would join the user's value and go unseen
    // by the next read.
    if (lineOpen)
        write("\n");
    write(beginMarker);
    write(body);
    write(endMarker);

    if (in)
    {
        bool skipping = inSection;
        while (ReadPiece(in, piece))
        {
            const std::string line = AsTextLine(piece);
            // A section that lost its end marker ends where the next section begins, so that the
            // sections after it survive the rewrite.
            if (skipping && !EqualsNoCase(line, beginMarker) && IsBeginMarker(line))
                skipping = false;
            if (skipping)
            {
                skipping = !_IsMarker(line, endMarker, match);
                continue;
            }
            write(piece);
        }
        if (std::ferror(in))
            ok = false;
        std::fclose(in);
    }

    return ok && out.Commit();
}

bool kaConfigFile::NextToken(const std::string& line, size_t& pos, const char* delimiters, std::string& token)
{
    const size_t start = line.find_first_not_of(delimiters, pos);
    if (start == std::string::npos)
    {
        pos = line.size();
        return false;
    }
    const size_t end = line.find_first_of(delimiters, start);
    if (end == std::string::npos)
    {
        token = line.substr(start);
        pos = line.size();
    }
    else
    {
        token = line.substr(start, end - start);
        pos = end + 1;
    }
    return true;
}

uint32_t kaConfigFile::ParseNumber(const std::string& token)
{
    size_t i = 0;
    while (i < token.size() && std::isspace(static_cast<unsigned char>(token[i])))
        ++i;
    uint64_t value = 0;
    for (; i < token.size() && std::isdigit(static_cast<unsigned char>(token[i])); ++i)
    {
        value = value * 10 + static_cast<uint64_t>(token[i] - '0');
        if (value > std::numeric_limits<uint32_t>::max())
            return std::numeric_limits<uint32_t>::max();
    }
    return static_cast<uint32_t>(value);
}
