#pragma once

class kaWorld;

// What the course editor asks of the application that runs it. The game fills it in; the editor knows
// nothing else of the game.
class EditorHost
{
public:
    virtual ~EditorHost() = default;

    // The world the application updates and draws as its current one; null between worlds.
    virtual void SetCurrentWorld(kaWorld* world) = 0;
    // The editor has been left and has let go of its world.
    virtual void OnEditorLeft() {}
    // The user's close, held while the editor asked something, may now go on: the program closes as it does
    // when the close needed no question.
    virtual void CloseProgram() {}
};
