#include "tests/support/DeepXml.h"

namespace testsupport
{

std::string DeepXml(const std::string& name, int depth, const std::string& inner)
{
    std::string text;
    text.reserve((name.size() * 2 + 5) * depth + inner.size());
    for (int i = 0; i < depth; ++i)
        text += "<" + name + ">";
    text += inner;
    for (int i = 0; i < depth; ++i)
        text += "</" + name + ">";
    return text;
}

} // namespace testsupport
