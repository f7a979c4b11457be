#include "engine/gui/guiCompositor.h"

#include <map>

namespace
{

// Made on first use, so that registrations during static construction find it.
std::map<int32_t, guiCompositorCreator>& Creators()
{
    static std::map<int32_t, guiCompositorCreator> creators;
    return creators;
}

} // namespace

void RegisterCompositorCreator(int32_t kind, const guiCompositorCreator& creator)
{
    Creators()[kind] = creator;
}

guiCompositor* CreateCompositor(int32_t kind)
{
    const auto found = Creators().find(kind);
    return found != Creators().end() && found->second ? found->second() : nullptr;
}
