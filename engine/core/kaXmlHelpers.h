#pragma once

#include <cstdio>
#include <string>

class TiXmlDocument;
class TiXmlElement;
class TiXmlNode;

// TinyXML recurses once per nesting level, so a deep enough file overflows the stack while parsing.
// Every document is loaded through these, which measure the nesting first and refuse a document
// deeper than this, with a line on the debugger output.
constexpr int kMaxXmlDepth = 256;

// Parses the text into the document unless it nests too deep; true when it parsed without error.
// The name is the file named in the refusal line.
bool ParseXmlDocument(TiXmlDocument& document, const std::string& text, const std::string& name);
// Reads the open file to its end, turns its CR-LF and CR line ends into LF as TinyXML's own file
// loading does, then parses it as ParseXmlDocument. The caller closes the file.
bool LoadXmlDocument(TiXmlDocument& document, FILE* file, const std::string& name);
// The same; when the document does not load, `why` says what stopped it in words a user reads, with the
// row and column (from 1, in the text with its line ends made LF) where the reader stopped when it knows.
// A document that loads but ends before the file does (TinyXML stops without an error at text outside any
// element, the reading at a NUL byte) says where in `unread`, when given; empty when all of it was read.
bool LoadXmlDocument(TiXmlDocument& document, FILE* file, const std::string& name, std::string& why,
                     std::string* unread = nullptr);
// The same for a file's bytes already read.
bool LoadXmlText(TiXmlDocument& document, std::string text, const std::string& name);
// The same in the caller's buffer, which is left holding the normalised text and its padding: a caller that
// keeps the buffer from file to file reads the next one without allocating.
bool ParseXmlText(TiXmlDocument& document, std::string& text, const std::string& name);
// Saves the document as TinyXML prints it, through a temporary file of a unique name renamed over the
// target, so that a failure or a second writer never leaves a damaged file. False when nothing was saved.
bool SaveXmlDocument(const TiXmlDocument& document, const std::string& fileName);

// Values stored as the text of small child elements, such as <parent><speed>1.5</speed></parent>.
// Every function accepts null nodes. The getters throw ka::bad_lexical_cast on a text that is not a
// value of their type; a loader catches it at the edge of its file or record.

// The value of the element's first child when that child is text; "" otherwise.
std::string GetElementText(const TiXmlNode* element);
// The text of the parent's first child element of that name; "" when there is none or when the name
// is shorter than 2 characters.
std::string GetChildElementText(const std::string& name, const TiXmlNode* parent);

float GetElementFloat(const TiXmlNode* element);
int GetElementInt(const TiXmlNode* element);
// Reads "0" and "1" only.
bool GetElementBool(const TiXmlNode* element);
int GetChildElementInt(const std::string& name, const TiXmlNode* parent);

// A new empty element appended as the parent's last child; null when the parent is null.
TiXmlElement* AppendElement(TiXmlNode* parent, const std::string& name);
void AppendTextElement(TiXmlNode* parent, const std::string& name, const std::string& text);
// Seven significant digits. A value that is not finite is written as 0, with a debugger line: no reader
// takes "nan" or "inf" back.
void AppendFloatElement(TiXmlNode* parent, const std::string& name, float value);
void AppendIntElement(TiXmlNode* parent, const std::string& name, int value);
// "1" or "0".
void AppendBoolElement(TiXmlNode* parent, const std::string& name, bool value);
