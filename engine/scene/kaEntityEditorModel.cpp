#include "engine/scene/kaEntityEditorModel.h"

#include "engine/core/kaFileSystem.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaPropertyRecord.h"

#include <tinyxml.h>

using platform::Quaternion;
using platform::Vector3;

namespace
{

const EntityFactory::Registration s_Registration(kaEntityEditorModel::StaticClassInfo(),
                                                 &EntityFactory::Create<kaEntityEditorModel>);

std::string BoolText(bool value)
{
    return ka::lexical_cast<std::string>(value);
}

// The folder part of a file name, up to and including its last separator.
std::string FolderOf(const std::string& fileName)
{
    const size_t separator = fileName.find_last_of("\\/");
    return separator == std::string::npos ? std::string(".\\") : fileName.substr(0, separator + 1);
}

} // namespace

const kaClassInfo& kaEntityEditorModel::StaticClassInfo()
{
    static const kaClassInfo record("EntityEditorModel", 0, nullptr);
    return record;
}

const std::string& kaEntityEditorModel::GetClassName() const
{
    return m_ClassName.empty() ? StaticClassInfo().GetName() : m_ClassName;
}

uint32_t kaEntityEditorModel::GetClassId() const
{
    return StaticClassInfo().GetId();
}

const kaClassInfo& kaEntityEditorModel::GetClassInfo() const
{
    return StaticClassInfo();
}

kaEntityEditorModel::kaEntityEditorModel(const std::string& className) : m_ClassName(className) {}

kaEntityEditorModel::~kaEntityEditorModel() = default;

void kaEntityEditorModel::WriteXml(TiXmlElement* element) const
{
    // The base block already names the class it stands for as its "type".
    _WriteModelXml(element, true);
}

void kaEntityEditorModel::BuildPropertyList()
{
    m_PropertyList.clear();
    kaPropertyRecord::Append(m_PropertyList, kClassNameLabel, m_ClassName);
    kaPropertyRecord& model = kaPropertyRecord::Append(m_PropertyList, kModelLabel, m_ModelFile);
    model.m_Browse = true;
    model.m_Folder = kModelFolder;
    kaPropertyRecord::Append(m_PropertyList, kNameLabel, m_Name);
    kaPropertyRecord::Append(m_PropertyList, kCollidableLabel, BoolText(m_Collidable));
    kaPropertyRecord::Append(m_PropertyList, kVisibleLabel, BoolText(m_Visible));
    kaPropertyRecord::Append(m_PropertyList, kSelectableLabel, BoolText(m_Selectable));
}

bool kaEntityEditorModel::SetPropertyList(const kaPropertyList& list)
{
    bool changed = kaEntityModel::SetPropertyList(list);
    for (const kaCountedPtr<kaPropertyRecord>& row : list)
    {
        if (!row)
            continue;
        if (row->m_Label == kClassNameLabel && row->m_Value != m_ClassName)
        {
            m_ClassName = row->m_Value;
            changed = true;
        }
        else if (row->m_Label == kModelLabel && row->m_Value != m_ModelFile)
        {
            ReloadModel(row->m_Value, GetPosition(), GetRotation());
            changed = true;
        }
    }
    return changed;
}

void kaEntityEditorModel::LoadModel(const std::string& fileName)
{
    m_ModelFile = fileName;
    // The manager owns the instance: handed back, never deleted here.
    SetModel(nullptr);
    const std::string maps = FolderOf(fileName) + kMapsFolder;
    if (g_pFileSystem)
        g_pFileSystem->AddSearchPath(maps);
    kaModel* model = nullptr;
    if (g_pModelManager)
        model = fileName.find(".xml") != std::string::npos ? g_pModelManager->LoadModelDescriptor(fileName)
                                                           : g_pModelManager->CreateModel(fileName);
    if (model)
    {
        SetModel(model);
        m_ModelFile = fileName;
        model->InitializeHierarchy();
    }
    // Only the entry added here: an equal folder another caller added stays.
    if (g_pFileSystem)
        g_pFileSystem->RemoveLastSearchPath(maps);
}

void kaEntityEditorModel::ReloadModel(const std::string& fileName, const Vector3& position,
                                      const Quaternion& rotation)
{
    LoadModel(fileName);
    SetPositionRotation(position, rotation);
}
