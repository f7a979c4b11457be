#include "engine/scene/kaSpawnPoint.h"

#include "engine/core/kaApp.h"
#include "engine/scene/EntityFactory.h"

#include <tinyxml.h>

using platform::Quaternion;
using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(kaSpawnPoint, "kaSpawnPoint")

namespace
{

const EntityFactory::Registration s_Registration(kaSpawnPoint::StaticClassInfo(),
                                                 &EntityFactory::Create<kaSpawnPoint>);

void SetChildText(TiXmlElement* element, const char* name, bool value)
{
    TiXmlElement* child = element->FirstChildElement(name);
    if (!child)
        return;
    child->Clear();
    child->InsertEndChild(TiXmlText(value ? "1" : "0"));
}

} // namespace

kaSpawnPoint::kaSpawnPoint()
{
    m_Name = kName;
}

kaSpawnPoint::~kaSpawnPoint() = default;

void kaSpawnPoint::Initialize()
{
    kaEntityModel::Initialize();
    // A second Initialize must not take its own flags for the file's.
    if (!m_FileFlagsKept)
    {
        m_FileVisible = m_Visible;
        m_FileSelectable = m_Selectable;
        m_FileFlagsKept = true;
    }
    SetSelectable(false);
    const kaApp* app = kaApp::GetSingleton();
    SetVisible(app && app->IsEditor());
}

// The model entity's operations also keep the placement without a model, so that a save writes it.
void kaSpawnPoint::SetPositionRotation(const Vector3& position, const Quaternion& rotation)
{
    m_SpawnPosition = position;
    m_SpawnRotation = rotation;
    kaEntityModel::SetPositionRotation(position, rotation);
}

void kaSpawnPoint::SetPosition(const Vector3& position)
{
    m_SpawnPosition = position;
    kaEntityModel::SetPosition(position);
}

void kaSpawnPoint::SetRotation(const Quaternion& rotation)
{
    m_SpawnRotation = rotation;
    kaEntityModel::SetRotation(rotation);
}

void kaSpawnPoint::WriteXml(TiXmlElement* element) const
{
    kaEntityModel::WriteXml(element);
    if (!element || !m_FileFlagsKept)
        return;
    // The flags as the file or the editor gave them, not as Initialize set them for the run; one kept as
    // read is already written so.
    if (!m_BlockKeys.Has("visible"))
        SetChildText(element, "visible", m_FileVisible);
    if (!m_BlockKeys.Has("selectable"))
        SetChildText(element, "selectable", m_FileSelectable);
}
