#include "engine/model/KM_MessageBox.h"

#include <cstdio>

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
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}
