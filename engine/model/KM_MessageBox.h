#pragma once

#include <functional>
#include <string>

// Message boxes raised by the model-file classes: the window layer's message box, unless a hook is
// installed (tests capture them, command-line tools print them).
class KM_MessageBox
{
public:
    using Hook = std::function<void(const std::string& text, const std::string& caption)>;

    // Installs a hook and returns the one it replaces; an empty hook restores the default.
    static Hook SetHook(Hook hook);
    static void Show(const std::string& text, const std::string& caption);
};
