#include "engine/model/KM_Object.h"

#include "engine/model/KM_MessageBox.h"
#include "engine/model/KM_Stream.h"

#include <cinttypes>

namespace
{

const char* const kTypeTags[KM_Object::kTypeCount] = {
    "*NULL",
    "*SCENE",
    "*GEOMOBJECT",
    "*SHAPE",
    "*CAMERA",
    "*LIGHT",
    "*HELPER",
    "*MATERIAL_LIST",
    "*MATERIAL",
    "Constant",
    "Phong",
    "Metal",
    "Blinn",
    "Other",
    "*TEXTURE_LIST",
    "*TEXTURE",
    "*MESH",
    "*NODE_TM",
    "*OBJECT_LIST",
    "*MODEL_LIST",
    "*MESH_LIST",
    "*KMID_ATTACHMENTPT",
    "*KMID_ATTACHMENTPTLIST",
    "*KMID_COLLISION_OBJECT",
    "*KMID_COLLISION_MESH",
    "*KMID_COLLISION_BOX",
    "*KMID_COLLISION_SPHERE",
    "*KMID_COLLISION_CYLINDER",
    "*KMID_COLLISION_PLANE",
    "*KMID_COLLISION_OBJECT_LIST",
    "*KMID_LPHYS_SIMOBJECT",
    "*KMID_LPHYS_RBCOLLECTION",
    "*KMID_LPHYS_RIGIDBODY",
    "*KMID_LPHYS_RIGIDBODY_LIST",
    "*KMID_LPHYS_FCCOLLECTION",
    "*KMID_LPHYS_FASTCLOTH",
    "*KMID_LPHYS_FSCOLLECTION",
    "*KMID_LPHYS_FASTSOFT",
    "*KMID_LPHYS_FRCOLLECTION",
    "*KMID_LPHYS_FASTROPE",
    "*KMID_LPHYS_DASHPOT",
    "*KMID_GENERIC_GROUPING",
    "*KMID_LPHYS_CONSTRAINTSOLVER",
    "*KMID_LPHYS_CONSTRAINT",
    "*KMID_LPHYS_CONSTRAINT_LIST",
    "*KMID_LPHYS_LIMITEDPTTOPT",
    "*KMID_LPHYS_WHEEL_CONSTRAINT",
    "*KMID_LPHYS_HINGE_CONSTRAINT",
    "*KMID_LPHYS_LINEAR_DASHPOT",
    "*KMID_LPHYS_ANGULAR_DASHPOT",
    "*KMID_LPHYS_COLLISION_PAIR",
    "*KMID_LPHYS_DIS_COLLISION_PAIRS",
    "*KMID_DATA_TAG",
    "*KMID_LPHYS_POINTTOPOINT",
    "*KMID_LPHYS_RAGDOLL",
    "*KMID_LPHYS_PRISMATIC_CONSTRAINT",
    "*KMID_LPHYS_SPRING",
    "*KMID_ANIMATION",
    "*KMID_SKELETON",
    "*KMID_PRIMITIVE",
};

const char* const kExporterError = "Exporter Error";

} // namespace

KM_Object::KM_Object() : KM_Object(0, 2) {}

KM_Object::KM_Object(uint32_t typeId, uint32_t version)
    : m_TypeId(typeId), m_Version(version), m_Size(0), m_Next(nullptr), m_Previous(nullptr)
{
}

// A copy is not in any list.
KM_Object::KM_Object(const KM_Object& other)
    : m_Name(other.m_Name), m_TypeId(other.m_TypeId), m_Version(other.m_Version), m_Size(other.m_Size),
      m_Next(nullptr), m_Previous(nullptr)
{
}

KM_Object::~KM_Object() = default;

const char* KM_Object::GetTypeTag(uint32_t typeId)
{
    return typeId < kTypeCount ? kTypeTags[typeId] : "";
}

bool KM_Object::Write(KM_Stream* stream)
{
    if (stream == nullptr)
        return false;
    if (stream->GetMode() == KM_Stream::kText)
        return stream->Print("%s%s\n", stream->IndentText(), GetTypeTag(m_TypeId));
    if (!stream->WriteU32(m_TypeId))
    {
        KM_MessageBox::Show("Error Writing KM_Object Type", kExporterError);
        return false;
    }
    if (!stream->WriteU32(m_Version) || (m_Version > 1 && !stream->WriteU32(m_Size)))
    {
        KM_MessageBox::Show("Error Writing KM_Object Version", kExporterError);
        return false;
    }
    return true;
}

bool KM_Object::Read(KM_Stream*)
{
    return true;
}

uint32_t KM_Object::ComputeSize()
{
    m_Size = 0;
    return 0;
}

bool KM_Object::ReadVersionAndSize(KM_Stream* stream)
{
    if (!stream->ReadU32(m_Version))
        return false;
    return m_Version <= 1 || stream->ReadU32(m_Size);
}

bool KM_Object::ReadFrame(KM_Stream* stream)
{
    uint32_t typeId;
    if (!stream->ReadU32(typeId))
        return false;
    return ReadVersionAndSize(stream);
}

KM_Object::BodyRead KM_Object::_BodyReadMode(KM_Stream* stream)
{
    if (stream == nullptr || stream->GetMode() == KM_Stream::kText)
        return BodyRead::kRefuse;
    return stream->GetMode() == KM_Stream::kBinary ? BodyRead::kRead : BodyRead::kNothing;
}

void KM_Object::_ReportReadFailure(const char* error)
{
    KM_MessageBox::Show(error, "Exporter Error");
}

bool KM_Object::WriteOrReport(KM_Stream* stream, const char* error, const std::function<void()>& writeText,
                              const std::function<bool()>& writeBody)
{
    if (stream == nullptr)
        return false;
    ComputeSize();
    if (IsText(stream))
    {
        writeText();
        return true;
    }
    if (writeBody())
        return true;
    KM_MessageBox::Show(error, "Exporter Error");
    return false;
}

bool KM_Object::IsBinaryReadable(KM_Stream* stream) const
{
    return stream != nullptr && stream->IsOpen() && stream->GetMode() == KM_Stream::kBinary;
}

bool KM_Object::IsText(KM_Stream* stream) const
{
    return stream != nullptr && stream->GetMode() == KM_Stream::kText;
}

void KM_Object::OpenBlock(KM_Stream* stream)
{
    stream->Print("%s{\n", stream->IndentText());
    stream->Indent();
}

void KM_Object::CloseBlock(KM_Stream* stream)
{
    stream->Unindent();
    stream->Print("%s}\n", stream->IndentText());
}

void KM_Object::PrintTag(KM_Stream* stream, const char* tag)
{
    stream->Print("%s%s\n", stream->IndentText(), tag);
}

void KM_Object::PrintInt(KM_Stream* stream, const char* tag, int64_t value)
{
    stream->Print("%s%s\t%" PRId64 "\n", stream->IndentText(), tag, value);
}

void KM_Object::PrintText(KM_Stream* stream, const char* tag, const std::string& text)
{
    stream->Print("%s%s\t%s\n", stream->IndentText(), tag, text.c_str());
}

void KM_Object::PrintHex(KM_Stream* stream, const char* tag, uint32_t value)
{
    stream->Print("%s%s\t0x%x\n", stream->IndentText(), tag, value);
}

void KM_Object::PrintFloat(KM_Stream* stream, const char* tag, float value)
{
    stream->Print("%s%s\t%f\n", stream->IndentText(), tag, static_cast<double>(value));
}

void KM_Object::PrintFloatSpaced(KM_Stream* stream, const char* tag, float value)
{
    stream->Print("%s%s %f\n", stream->IndentText(), tag, static_cast<double>(value));
}

void KM_Object::OpenObjectText(KM_Stream* stream) const
{
    stream->Print("%s%s\n", stream->IndentText(), GetTypeTag(m_TypeId));
    OpenBlock(stream);
}
