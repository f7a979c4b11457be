#pragma once

#include <string>

class EditorFields;

// Converts a dialog's fields as a confirmed dialog applies them. The first field that does not convert
// is remembered (its value reads as 0 or false), so that nothing is applied until every field has.
class EditorFieldReader
{
public:
    explicit EditorFieldReader(const EditorFields& fields) : m_Fields(fields) {}

    // The text as typed: nothing trimmed, no file looked for.
    std::string Text(const std::string& name) const;
    float Number(const std::string& name);
    // "1" or "0".
    bool Truth(const std::string& name);

    // A field that converted but cannot be used: the message says why, as the user is to read it.
    void Refuse(const std::string& name, const std::string& message);

    bool Converted() const { return m_FailedField.empty(); }
    // Names the field and its text, for the message the user sees.
    std::string Failure() const;

private:
    void _Fail(const std::string& name, const std::string& text, const char* expected);

    const EditorFields& m_Fields;
    std::string m_FailedField;
    std::string m_FailedText;
    std::string m_Expected;
    std::string m_Refusal;
};
