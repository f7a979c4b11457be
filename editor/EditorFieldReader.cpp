#include "editor/EditorFieldReader.h"

#include "editor/EditorFields.h"
#include "engine/core/kaLexicalCast.h"

std::string EditorFieldReader::Text(const std::string& name) const
{
    return m_Fields.Get(name);
}

float EditorFieldReader::Number(const std::string& name)
{
    const std::string text = m_Fields.Get(name);
    try
    {
        return ka::lexical_cast<float>(text);
    }
    catch (const ka::bad_lexical_cast&)
    {
        _Fail(name, text, "a number");
        return 0.0f;
    }
}

bool EditorFieldReader::Truth(const std::string& name)
{
    const std::string text = m_Fields.Get(name);
    try
    {
        return ka::lexical_cast<bool>(text);
    }
    catch (const ka::bad_lexical_cast&)
    {
        _Fail(name, text, "0 or 1");
        return false;
    }
}

void EditorFieldReader::Refuse(const std::string& name, const std::string& message)
{
    if (!Converted())
        return;
    m_FailedField = name;
    m_Refusal = message;
}

std::string EditorFieldReader::Failure() const
{
    if (Converted())
        return std::string();
    if (!m_Refusal.empty())
        return m_Refusal;
    return "The field \"" + m_FailedField + "\" holds \"" + m_FailedText + "\", which is not " + m_Expected +
           ".";
}

void EditorFieldReader::_Fail(const std::string& name, const std::string& text, const char* expected)
{
    if (!Converted())
        return;
    m_FailedField = name;
    m_FailedText = text;
    m_Expected = expected;
}
