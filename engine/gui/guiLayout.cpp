#include "engine/gui/guiLayout.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaManagedStream.h"
#include "engine/gui/guiGlyph.h"
#include "engine/gui/guiWidgetFactory.h"

#include "platform/files/Files.h"
#include "platform/files/SafeFileWriter.h"

#include <istream>
#include <sstream>

namespace gui
{

namespace
{

float g_LayoutVersion = kLayoutVersion;
// Loads under way; a load inside another gives the outer file its own version back.
int g_OpenLoads = 0;

class LoadScope
{
public:
    LoadScope() : m_OuterVersion(g_LayoutVersion), m_Nested(g_OpenLoads > 0) { ++g_OpenLoads; }
    ~LoadScope()
    {
        --g_OpenLoads;
        if (m_Nested)
            g_LayoutVersion = m_OuterVersion;
    }
    LoadScope(const LoadScope&) = delete;
    LoadScope& operator=(const LoadScope&) = delete;

private:
    float m_OuterVersion;
    bool m_Nested;
};

} // namespace

float GetLayoutVersion()
{
    return g_LayoutVersion;
}

void SetLayoutVersion(float version)
{
    g_LayoutVersion = version;
}

bool OpenLayout(const std::string& fileName, kaManagedStream& stream, bool& binary)
{
    OpenStream(stream, fileName, 1);
    std::istream& in = *stream;
    char tag = 0;
    float version = 0.0f;
    if (!(in >> tag) || (tag != kTextTag && tag != kBinaryTag) || !(in >> version))
        return false;
    binary = tag == kBinaryTag;
    if (binary)
    {
        // The separator is any one character, and the class id after it may itself begin with a line
        // end, so nothing may be skipped here.
        char separator;
        if (!in.get(separator))
            return false;
    }
    g_LayoutVersion = version;
    return true;
}

guiGlyph* LoadLayout(const std::string& fileName)
{
    LoadScope scope;
    kaManagedStream stream;
    bool binary = false;
    if (!OpenLayout(fileName, stream, binary))
        return nullptr;
    if (!binary)
        return CreateWidgetFromText(*stream);
    kaBinaryStream reader(stream->rdbuf());
    return CreateWidgetFromBinary(reader);
}

bool LoadLayoutInto(guiGlyph& root, const std::string& fileName)
{
    LoadScope scope;
    kaManagedStream stream;
    bool binary = false;
    if (!OpenLayout(fileName, stream, binary))
        return false;
    if (!binary)
    {
        std::string name;
        if (!(*stream >> name) || name != root.GetClassName())
            return false;
        root.ReadText(*stream);
        return true;
    }
    kaBinaryStream reader(stream->rdbuf());
    uint32_t id = 0;
    reader.ReadUInt32(id);
    if (reader.Failed() || id != root.GetClassId())
        return false;
    root.ReadBinary(reader);
    return true;
}

std::string FormatLayout(const guiGlyph& root, bool binary)
{
    std::ostringstream out;
    out << (binary ? kBinaryTag : kTextTag) << kLayoutVersion << '\n';
    if (binary)
    {
        kaBinaryStream writer(out.rdbuf());
        writer.WriteUInt32(root.GetClassId());
        root.WriteBinary(writer);
    }
    else
    {
        out << root.GetClassName() << '\n';
        root.WriteText(out);
    }
    return out.str();
}

bool SaveLayout(const guiGlyph& root, const std::string& fileName, bool binary)
{
    return platform::SafeFileWriter::WriteWhole(fileName, FormatLayout(root, binary));
}

} // namespace gui
