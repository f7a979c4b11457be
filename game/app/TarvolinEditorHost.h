#pragma once

#include "editor/EditorHost.h"

class Tarvolin;

// The application as the course editor sees it: the edited world becomes the current one, and leaving
// the engine's editor program ends it.
class TarvolinEditorHost : public EditorHost
{
public:
    explicit TarvolinEditorHost(Tarvolin& app) : m_App(app) {}

    void SetCurrentWorld(kaWorld* world) override;
    void OnEditorLeft() override;

private:
    Tarvolin& m_App;
};
