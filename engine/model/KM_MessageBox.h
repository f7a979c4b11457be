#pragma once

#include <functional>
#include <string>

// Message boxes raised by the model-file classes. They go through a replaceable hook so that the
// window layer can show them and tests can capture them; the default writes them to stderr.
class KM_MessageBox
{
public:
    using Hook = std::function<void(const std::string& text, const std::string& caption)>;

    // Installs a hook and returns the one it replaces; an empty hook restores the default.
    static Hook SetHook(Hook hook);
    static void Show(const std::string& text, const std::string& caption);
};
