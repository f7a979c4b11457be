#include "engine/gui/guiLayoutSyntax.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/core/kaColor.h"
#include "engine/gui/guiCoordPair.h"

#include <deque>
#include <istream>
#include <ostream>

namespace gui
{

namespace
{

void SkipKey(std::istream& stream)
{
    std::string key;
    stream >> key;
}

template <typename T> void ReadPlain(std::istream& stream, T& value)
{
    SkipKey(stream);
    T read;
    if (stream >> read)
        value = read;
}

// Characters handed back by a failed partial match come again before the stream's own.
class PushbackReader
{
public:
    explicit PushbackReader(std::istream& stream) : m_Stream(stream) {}

    bool Next(char& c)
    {
        if (!m_Pending.empty())
        {
            c = m_Pending.front();
            m_Pending.pop_front();
            return true;
        }
        return static_cast<bool>(m_Stream.get(c));
    }

    void PushFront(const std::string& text) { m_Pending.insert(m_Pending.begin(), text.begin(), text.end()); }

private:
    std::istream& m_Stream;
    std::deque<char> m_Pending;
};

bool SkipPastOpening(PushbackReader& reader, const std::string& opening)
{
    char c;
    while (reader.Next(c))
    {
        if (c != opening[0])
            continue;
        std::string after;
        bool matched = true;
        for (std::size_t i = 1; i < opening.size(); ++i)
        {
            char next;
            if (!reader.Next(next))
                return false;
            after += next;
            if (next != opening[i])
            {
                matched = false;
                break;
            }
        }
        if (matched)
            return true;
        reader.PushFront(after);
    }
    return false;
}

} // namespace

std::string EscapeNewlines(const std::string& text)
{
    std::string escaped;
    for (const char c : text)
    {
        if (c == '\n')
            escaped += "\\n";
        else
            escaped += c;
    }
    return escaped;
}

std::string UnescapeNewlines(const std::string& text)
{
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n')
        {
            plain += '\n';
            ++i;
        }
        else
        {
            plain += text[i];
        }
    }
    return plain;
}

std::string ReadDelimitedString(std::istream& stream, const std::string& opening, const std::string& closing)
{
    PushbackReader reader(stream);
    std::string result;
    if (!opening.empty() && !SkipPastOpening(reader, opening))
        return result;

    std::size_t matched = 0;
    char c;
    while (reader.Next(c))
    {
        if (matched < closing.size() && c == closing[matched])
        {
            if (++matched == closing.size())
                return result;
            continue;
        }
        if (matched == 0)
        {
            result += c;
            continue;
        }
        // A partial closing that fails is text: its first character is kept, and the rest is read again
        // with the character that broke it, since a closing may begin inside it.
        result += closing[0];
        reader.PushFront(closing.substr(1, matched - 1) + c);
        matched = 0;
    }
    result.append(closing, 0, matched);
    return result;
}

void WriteTextField(std::ostream& stream, const char* key, int32_t value)
{
    stream << key << ' ' << value << '\n';
}

void WriteTextField(std::ostream& stream, const char* key, float value)
{
    stream << key << ' ' << value << '\n';
}

void WriteTextField(std::ostream& stream, const char* key, bool value)
{
    stream << key << ' ' << std::boolalpha << value << '\n';
}

void WriteTextField(std::ostream& stream, const char* key, const std::string& value)
{
    stream << key << ' ' << value << '\n';
}

void WriteTextField(std::ostream& stream, const char* key, const guiCoord& value)
{
    stream << key << ' ';
    value.WriteText(stream);
    stream << '\n';
}

void WriteTextField(std::ostream& stream, const char* key, const guiCoordPair& value)
{
    stream << key << ' ';
    value.WriteText(stream);
    stream << '\n';
}

void WriteTextField(std::ostream& stream, const char* key, const kaColor& value)
{
    stream << key << ' ';
    value.WriteText(stream);
    stream << '\n';
}

void WriteOptionalTextField(std::ostream& stream, const char* key, int32_t value)
{
    stream << key << ' ' << std::boolalpha << (value != -1);
    if (value != -1)
        stream << ' ' << value;
    stream << '\n';
}

void ReadTextField(std::istream& stream, int32_t& value)
{
    ReadPlain(stream, value);
}

void ReadTextField(std::istream& stream, float& value)
{
    ReadPlain(stream, value);
}

void ReadTextField(std::istream& stream, bool& value)
{
    stream >> std::boolalpha;
    ReadPlain(stream, value);
}

void ReadTextField(std::istream& stream, std::string& value)
{
    SkipKey(stream);
    stream.get();
    std::string line;
    if (!std::getline(stream, line))
        return;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    value = line;
}

void ReadTextField(std::istream& stream, guiCoord& value)
{
    SkipKey(stream);
    value.ReadText(stream);
}

void ReadTextField(std::istream& stream, guiCoordPair& value)
{
    SkipKey(stream);
    value.ReadText(stream);
}

void ReadTextField(std::istream& stream, kaColor& value)
{
    SkipKey(stream);
    value.ReadText(stream);
}

void ReadOptionalTextField(std::istream& stream, int32_t& value)
{
    SkipKey(stream);
    bool present = false;
    if (!(stream >> std::boolalpha >> present))
        return;
    if (!present)
    {
        value = -1;
        return;
    }
    int32_t read;
    if (stream >> read)
        value = read;
}

void ReadBinaryString(kaBinaryStream& stream, std::string& value)
{
    std::string read;
    stream.ReadString(read);
    if (!stream.Failed())
        value = read;
}

void WriteOptionalBinary(kaBinaryStream& stream, int32_t value)
{
    stream.WriteBool(value != -1);
    if (value != -1)
        stream.WriteInt32(value);
}

void ReadOptionalBinary(kaBinaryStream& stream, int32_t& value)
{
    bool present = false;
    stream.ReadBool(present);
    if (stream.Failed())
        return;
    if (!present)
        value = -1;
    else
        stream.ReadInt32(value);
}

} // namespace gui
