#include "game/app/TarvolinEditorHost.h"

#include "engine/scene/kaWorld.h"
#include "game/app/Tarvolin.h"

void TarvolinEditorHost::SetCurrentWorld(kaWorld* world)
{
    m_App.SetCurrentWorld(world);
}

void TarvolinEditorHost::OnEditorLeft()
{
    // The editor program has nothing to go back to.
    if (m_App.IsEngineEditor())
        m_App.RequestQuit();
}

void TarvolinEditorHost::CloseProgram()
{
    m_App.PostClose();
}
