#pragma once

#include "editor/EditorHost.h"

class Tarvolin;

// The application as the course editor sees it: the edited world becomes the current one, leaving the
// engine's editor program ends it, and a close the editor held for a question's answer closes the program.
class TarvolinEditorHost : public EditorHost
{
public:
    explicit TarvolinEditorHost(Tarvolin& app) : m_App(app) {}

    void SetCurrentWorld(kaWorld* world) override;
    void OnEditorLeft() override;
    void CloseProgram() override;

private:
    Tarvolin& m_App;
};
