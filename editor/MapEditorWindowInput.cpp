#include "editor/MapEditorWindow.h"
#include "editor/MapEditorWindowInternal.h"

#include "editor/EditorCamera.h"

#include "engine/core/kaClock.h"
#include "engine/gui/guiManager.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/scene/kaArena.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaDraggableDecal.h"
#include "engine/terrain/kaTerrain.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Quaternion.h"
#include "platform/window/WindowConstants.h"

// Mouse and keys: picking, placing, moving and turning entities, laying decals, and the editor's keys.

using namespace platform;
using map_editor::Decals;

// ---- Mouse and keys ----

bool MapEditorWindow::_OverWidget() const
{
    return !GetHoverChain().empty();
}

void MapEditorWindow::_ClearGestures()
{
    m_DragOnTerrain = false;
    m_Rotating = false;
    m_Moving = false;
}

void MapEditorWindow::_DropPlacing()
{
    if (!m_Placing)
        return;
    kaEntityModel* entity = m_HighlightedEntity;
    ShowSelectedEntityProperties(nullptr, nullptr);
    _ClearGestures();
    if (entity == nullptr || m_World == nullptr)
        return;
    // At once: a save may follow in the same breath.
    m_World->DeleteEntity(entity, false);
    // Nothing was put down: the world is as it was before the picture was chosen.
    SetSaved(m_SavedBeforePlacing);
}

bool MapEditorWindow::_FollowPointer(kaEntityModel& entity)
{
    // It must not find itself under the pointer.
    entity.SetCollidable(false);
    kaCollideInfo hit;
    const bool found = _PickAtCursor(kEntityPickLength, kaWorld::kPickTerrain | kaWorld::kPickMeshes, hit);
    entity.SetCollidable(true);
    if (!found)
    {
        entity.SetVisible(false);
        return false;
    }
    entity.SetVisible(true);
    entity.SetPosition(hit.m_Point);
    const kaBoundingBox* box = entity.GetBoundingBox();
    const float lift = box != nullptr ? hit.m_Point.y - box->m_Min.y : 0.0f;
    entity.SetPosition(Vector3(hit.m_Point.x + m_PlaceOffset.x, hit.m_Point.y + lift + m_PlaceOffset.y,
                               hit.m_Point.z + m_PlaceOffset.z));
    SetSaved(false);
    return true;
}

bool MapEditorWindow::_PickAtCursor(float length, uint32_t flags, kaCollideInfo& hit)
{
    if (m_World == nullptr || g_pGuiManager == nullptr)
        return false;
    const kaPoint cursor = g_pGuiManager->GetCursorPosition();
    Vector3 origin;
    Vector3 direction;
    if (!m_World->GetPickRay(float(cursor.x), float(cursor.y), origin, direction))
        return false;
    return m_World->Pick(origin, origin + direction * length, &hit, flags);
}

bool MapEditorWindow::_CursorCell(int32_t& x, int32_t& z, bool& hitSomething)
{
    hitSomething = false;
    const auto* terrain =
        m_World != nullptr ? dynamic_cast<const kaTerrain*>(m_World->GetTerrain()) : nullptr;
    if (terrain == nullptr || terrain->GetCellSize() <= 0.0f)
        return false;
    kaCollideInfo hit;
    if (!_PickAtCursor(kDecalPickLength, kaWorld::kPickTerrain, hit))
        return true;
    hitSomething = true;
    x = int32_t(hit.m_Point.x / terrain->GetCellSize());
    z = int32_t(hit.m_Point.z / terrain->GetCellSize());
    return true;
}

bool MapEditorWindow::OnMouseDown(int32_t button, const gui::MouseData& data)
{
    if (m_World == nullptr || _OverWidget())
    {
        // A press on a picture, a menu or a button lets go of an entity that was never put down.
        _DropPlacing();
        return guiWindow::OnMouseDown(button, data);
    }
    if (m_Placing && m_HighlightedEntity != nullptr)
    {
        // The press puts the hanging entity down where the pointer is, whether or not a move brought it
        // there. It follows on while the button is held; the release leaves it, or deletes it off the ground.
        m_Placing = !_FollowPointer(*m_HighlightedEntity);
        return guiWindow::OnMouseDown(button, data);
    }
    kaDraggableDecalManager* decals = Decals();
    if (decals != nullptr && decals->GetMode() == kaDraggableDecalManager::kModeLay)
    {
        AddDecalFromDropdown();
        const auto* terrain = dynamic_cast<const kaTerrain*>(m_World->GetTerrain());
        kaDraggableDecal* decal = decals->GetSelectedDecal();
        int32_t x = 0;
        int32_t z = 0;
        bool hit = false;
        if (decal != nullptr && terrain != nullptr && _CursorCell(x, z, hit) && hit)
        {
            m_DecalStartCell[0] = x;
            m_DecalStartCell[1] = z;
            m_DragOnTerrain = true;
            m_World->AddEntity(decal, true, true);
            decal->Initialize();
            // The last column or row has no cell beyond it: the second corner goes one back.
            const int32_t cellsWide = terrain->GetColumns() - 1;
            const int32_t cellsLong = terrain->GetRows() - 1;
            const int32_t x2 = x < cellsWide - 1 ? x + 1 : x - 1;
            const int32_t z2 = z < cellsLong - 1 ? z + 1 : z - 1;
            decal->SetRect(x, z, x2, z2);
            return true;
        }
        // A decal made for a press that found no ground is not kept: the next press makes another.
        if (decal != nullptr && decal->GetWorld() == nullptr)
        {
            decals->SetSelectedDecal(nullptr);
            delete decal;
        }
        return guiWindow::OnMouseDown(button, data);
    }

    kaCollideInfo hit;
    if (_PickAtCursor(kEntityPickLength, kaWorld::kPickTerrain | kaWorld::kPickMeshes, hit))
    {
        kaEntity* entity = hit.m_pObject;
        const bool ground = entity == nullptr || entity == m_World->GetTerrain();
        if (ground && !m_GroundPressClears)
        {
            // The game's editor: only entities select; the ground changes nothing.
        }
        else if (ground || dynamic_cast<kaArena*>(entity) != nullptr)
        {
            ShowSelectedEntityProperties(nullptr, nullptr);
        }
        else
        {
            ShowSelectedEntityProperties(entity, m_SelectWithHit ? &hit : nullptr);
            if (button == platform::kMouseLeft)
            {
                const float now = float(GetTime(4));
                if (now - m_LastClickTime < kDoubleClickTime)
                    ShowEntityProperties(entity);
                else
                    m_DragOnTerrain = true;
                m_LastClickTime = now;
            }
            else if (button == platform::kMouseRight)
            {
                m_Moving = true;
            }
            else if (button == platform::kMouseMiddle)
            {
                m_Rotating = true;
            }
        }
    }
    return guiWindow::OnMouseDown(button, data);
}

bool MapEditorWindow::OnMouseMove(const guiMsgMouse& message)
{
    // The window's handling first: it finds the widget under the pointer now, and only then is it known
    // whether the move is the editor's. The first move off the palette is followed however far it jumps.
    const bool handledByWindow = guiWindow::OnMouseMove(message);
    if (m_World == nullptr || _OverWidget())
        return handledByWindow;
    const gui::MouseData& data = message.data;
    const bool anyButton = data.buttons[0] || data.buttons[1] || data.buttons[2];
    kaDraggableDecalManager* decals = Decals();
    const int32_t decalMode = decals != nullptr ? decals->GetMode() : kaDraggableDecalManager::kModeIdle;

    // A placement that never found ground goes when the button is up. One still being placed (its
    // picture clicked, not yet put down) keeps following the pointer instead.
    if (m_HighlightedEntity != nullptr && !anyButton && !m_HighlightedEntity->IsVisible() && !m_DragOnTerrain)
    {
        m_World->DeleteEntity(m_HighlightedEntity, true);
        ShowSelectedEntityProperties(nullptr, nullptr);
        _ClearGestures();
        SetSaved(false);
    }

    bool handled = true;
    if (decalMode == kaDraggableDecalManager::kModeLay && m_DragOnTerrain &&
        decals->GetSelectedDecal() != nullptr)
    {
        int32_t x = 0;
        int32_t z = 0;
        bool hit = false;
        if (_CursorCell(x, z, hit) && hit)
        {
            m_DecalEndCell[0] = x + 1;
            m_DecalEndCell[1] = z + 1;
            decals->GetSelectedDecal()->SetRect(m_DecalStartCell[0], m_DecalStartCell[1], m_DecalEndCell[0],
                                                m_DecalEndCell[1]);
        }
    }
    else if (decalMode == kaDraggableDecalManager::kModeCorner && decals->GetDragDecal() != nullptr)
    {
        decals->GetDragDecal()->DragCorner(nullptr, decals->GetDragCorner());
        SetSaved(false);
    }
    else if (decalMode == kaDraggableDecalManager::kModeMove && decals->GetSelectedDecal() != nullptr)
    {
        decals->GetSelectedDecal()->DragMove(nullptr);
        SetSaved(false);
    }
    else if (m_HighlightedEntity != nullptr && m_DragOnTerrain)
    {
        _FollowPointer(*m_HighlightedEntity);
    }
    else if (m_HighlightedEntity != nullptr && data.buttons[platform::kMouseRight] && m_Moving)
    {
        kaEntityModel* entity = m_HighlightedEntity;
        const Vector3 start = entity->GetPosition();
        entity->SetPosition(start);
        const Vector3 snap = entity->GetPosition() - start;
        const float y = start.y - message.deltaY * kMoveScale;
        Matrix turn;
        MatrixRotationY(&turn, m_Camera->GetRotationAngles().y);
        Vector3 right(turn(0, 0), 0.0f, turn(0, 2));
        Vec3Normalize(&right, &right);
        entity->SetPosition(Vector3(start.x - snap.x + right.x * message.deltaX * kMoveScale, y - snap.y,
                                    start.z - snap.z + right.z * message.deltaX * kMoveScale));
        SetSaved(false);
    }
    else if (m_HighlightedEntity != nullptr && data.buttons[platform::kMouseMiddle] && m_Rotating)
    {
        kaEntityModel* entity = m_HighlightedEntity;
        // From where the entity was put, not from where a spin has turned it since.
        const Quaternion rotation = entity->GetPlacedRotation();
        Matrix own;
        MatrixRotationQuaternion(&own, &rotation);
        Matrix turn;
        MatrixRotationY(&turn, message.deltaX * kTurnPerPixel);
        const Matrix turned = own * turn;
        Quaternion result;
        QuaternionRotationMatrix(&result, &turned);
        entity->SetRotation(result);
        SetSaved(false);
    }
    else
    {
        handled = false;
    }
    if (!handled)
        m_Camera->HandleInput(message.deltaX, message.deltaY, float(data.wheel),
                              data.buttons[platform::kMouseLeft], data.buttons[platform::kMouseMiddle]);
    return handledByWindow;
}

bool MapEditorWindow::OnMouseUp(int32_t button, const gui::MouseData& data)
{
    kaDraggableDecalManager* decals = Decals();
    if (m_World != nullptr && !_OverWidget())
    {
        const int32_t mode = decals != nullptr ? decals->GetMode() : kaDraggableDecalManager::kModeIdle;
        if (mode == kaDraggableDecalManager::kModeLay && decals->GetSelectedDecal() != nullptr)
        {
            kaDraggableDecal* decal = decals->GetSelectedDecal();
            decal->EndDrag();
            ShowSelectedEntityProperties(decal, nullptr);
            m_DragOnTerrain = false;
            decals->SetMode(kaDraggableDecalManager::kModeIdle);
        }
        else if (mode == kaDraggableDecalManager::kModeCorner && decals->GetDragDecal() != nullptr)
        {
            decals->GetDragDecal()->EndDrag();
            decals->SetMode(kaDraggableDecalManager::kModeIdle);
        }
        else if (mode == kaDraggableDecalManager::kModeMove && decals->GetSelectedDecal() != nullptr)
        {
            decals->GetSelectedDecal()->EndDrag();
            decals->SetMode(kaDraggableDecalManager::kModeIdle);
        }
        else if (m_HighlightedEntity != nullptr && !m_HighlightedEntity->IsVisible())
        {
            m_World->DeleteEntity(m_HighlightedEntity, true);
            ShowSelectedEntityProperties(nullptr, nullptr);
            SetSaved(false);
        }
    }
    // Letting go of a palette picture leaves its entity following the pointer until it is put down.
    const bool placing = m_DragOnTerrain && _OverWidget() && m_HighlightedEntity != nullptr &&
                         !m_HighlightedEntity->IsVisible();
    _ClearGestures();
    m_DragOnTerrain = placing;
    m_Placing = placing;
    return guiWindow::OnMouseUp(button, data);
}

bool MapEditorWindow::OnKey(const guiMsgKey& message)
{
    if (message.virtualKey != 0 && message.key == VK_ESCAPE)
    {
        // An open menu is what Escape closes. The keys leave its list too: their arrows would choose rows
        // no longer shown.
        if (_CloseMenus())
        {
            SetFocus(nullptr);
            return true;
        }
        // Leaving may save: an entity never put down goes first.
        _DropPlacing();
        ExitEditor();
        return true;
    }
    if (message.virtualKey != 0 && message.key == VK_TAB)
    {
        ToggleHideAll();
        return true;
    }
    if (message.ctrl != 0 && (message.key == 'S' || message.key == 's'))
    {
        _DropPlacing();
        SaveWorld();
        return true;
    }
    if (message.virtualKey != 0 && message.key == VK_DELETE)
        DeleteHighlightedEntity();
    return guiWindow::OnKey(message);
}
