#include "game/screens/courseeditor/tvEditorCamera.h"

tvEditorCamera::tvEditorCamera() = default;

tvEditorCamera::~tvEditorCamera() = default;

void tvEditorCamera::Update(float /*dt*/)
{
    _UpdateCursor();
}
