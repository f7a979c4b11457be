#include "engine/gui/guiCoordPair.h"

#include "engine/core/kaBinaryStream.h"

#include <istream>
#include <ostream>
#include <sstream>

void guiCoordPair::WriteText(std::ostream& stream) const
{
    x.WriteText(stream);
    stream << ' ';
    y.WriteText(stream);
}

void guiCoordPair::ReadText(std::istream& stream)
{
    guiCoord readX(x);
    guiCoord readY(y);
    stream >> readX.value >> readX.relative >> readY.value >> readY.relative;
    if (stream)
    {
        x = readX;
        y = readY;
    }
}

std::string guiCoordPair::ToText() const
{
    std::ostringstream text;
    WriteText(text);
    return text.str();
}

void guiCoordPair::Write(kaBinaryStream& stream) const
{
    x.Write(stream);
    y.Write(stream);
}

void guiCoordPair::Read(kaBinaryStream& stream)
{
    x.Read(stream);
    y.Read(stream);
}
