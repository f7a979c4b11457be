#include "engine/model/KM_MessageBox.h"

#include "platform/window/Window.h"
#include "platform/window/WindowConstants.h"

namespace
{

KM_MessageBox::Hook& CurrentHook()
{
    static KM_MessageBox::Hook hook;
    return hook;
}

} // namespace

KM_MessageBox::Hook KM_MessageBox::SetHook(Hook hook)
{
    Hook previous = std::move(CurrentHook());
    CurrentHook() = std::move(hook);
    return previous;
}

void KM_MessageBox::Show(const std::string& text, const std::string& caption)
{
    if (CurrentHook())
    {
        CurrentHook()(text, caption);
        return;
    }
    platform::MessageBox(nullptr, text, caption, platform::MB_OK);
}
