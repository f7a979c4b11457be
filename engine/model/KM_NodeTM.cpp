#include "engine/model/KM_NodeTM.h"

#include "engine/model/KM_MessageBox.h"
#include "engine/model/KM_Stream.h"

namespace
{
const char* const kError = "Error Writing KM_NodeTM Data";
const char* const kRowTags[4] = {"*TM_ROW0", "*TM_ROW1", "*TM_ROW2", "*TM_ROW3"};
} // namespace

KM_NodeTM::KM_NodeTM() : KM_Object(kTypeId, 2) {}

uint32_t KM_NodeTM::ComputeSize()
{
    m_Size = KM_Stream::StringBytes(m_Name) + 48;
    return m_Size;
}

KM_NodeTM::Matrix KM_NodeTM::GetMatrix() const
{
    Matrix result;
    for (int row = 0; row < 4; ++row)
    {
        for (int column = 0; column < 3; ++column)
            result.m[row][column] = m_Rows[row][column];
        result.m[row][3] = row == 3 ? 1.0f : 0.0f;
    }
    return result;
}

bool KM_NodeTM::Write(KM_Stream* stream)
{
    if (stream == nullptr)
        return false;
    ComputeSize();
    if (IsText(stream))
    {
        OpenObjectText(stream);
        PrintText(stream, "*NODE_NAME", m_Name);
        for (int row = 0; row < 4; ++row)
            stream->Print("%s%s %f\t%f\t%f\n", stream->IndentText(), kRowTags[row],
                          static_cast<double>(m_Rows[row][0]), static_cast<double>(m_Rows[row][1]),
                          static_cast<double>(m_Rows[row][2]));
        CloseBlock(stream);
        return true;
    }
    const bool written =
        KM_Object::Write(stream) && stream->WriteString(m_Name) && stream->Write(m_Rows, 4, 12);
    if (!written)
        KM_MessageBox::Show(kError, "Exporter Error");
    return written;
}

bool KM_NodeTM::Read(KM_Stream* stream)
{
    return ReadBodyOrReport(
        stream, kError,
        [&] { return ReadFrame(stream) && stream->ReadString(m_Name) && stream->Read(m_Rows, 4, 12); });
}
