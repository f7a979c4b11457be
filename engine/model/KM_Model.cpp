#include "engine/model/KM_Model.h"

#include "engine/model/KM_FileReader.h"
#include "engine/model/KM_MaterialList.h"
#include "engine/model/KM_ObjectList.h"
#include "engine/model/KM_Scene.h"

#include <string>

KM_Model::KM_Model(const char* fileName)
{
    const std::string name = fileName != nullptr ? fileName : "";
    m_Name = name.substr(0, name.find('.'));
}

KM_Model::~KM_Model() = default;

bool KM_Model::ReadObjects(KM_Stream* stream)
{
    KM_FileReader::TopLevel top;
    const bool ok = KM_FileReader::ReadTopLevel(stream, true, KM_FileReader::kErroneousModel, top);
    m_Scene = std::move(top.scene);
    m_MaterialList = std::move(top.materials);
    m_ObjectList = std::move(top.objects);
    return ok;
}

bool KM_Model::Read(KM_Stream* stream)
{
    return ReadObjects(stream);
}
