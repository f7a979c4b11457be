#pragma once

#include "editor/EditorCamera.h"

// The game's course editor camera: the cursor still hides while a modifier is held, but the view never
// scrolls at the screen's edges, where the game's editor keeps its toolbars.
class tvEditorCamera : public EditorCamera
{
public:
    tvEditorCamera();
    ~tvEditorCamera() override;

    void Update(float dt) override;
};
