#pragma once

#include <cstdint>
#include <functional>
#include <string>

class KM_Stream;

// Base of every KMF chunk class: a node name, the type id and version of its frame, and the size of
// its body. An object reads its body, writes itself in binary or text form and computes its size.
class KM_Object
{
public:
    static constexpr uint32_t kTypeCount = 60;

    KM_Object();
    KM_Object(const KM_Object& other);
    KM_Object& operator=(const KM_Object&) = delete;
    virtual ~KM_Object();

    // Binary: the frame (type id, version, and the size when the version is above 1).
    // Text: the object's tag line.
    virtual bool Write(KM_Stream* stream);
    virtual bool Read(KM_Stream* stream);
    virtual uint32_t ComputeSize();

    const std::string& GetName() const { return m_Name; }
    void SetName(const std::string& name) { m_Name = name; }
    uint32_t GetTypeId() const { return m_TypeId; }
    uint32_t GetVersion() const { return m_Version; }
    void SetVersion(uint32_t version) { m_Version = version; }
    uint32_t GetSize() const { return m_Size; }

    KM_Object* GetNext() const { return m_Next; }
    KM_Object* GetPrevious() const { return m_Previous; }

    // The text tag of a type id; "" for an id outside the table.
    static const char* GetTypeTag(uint32_t typeId);
    // Bytes of a frame as written for the version: type id, version and, above 1, the size.
    static uint32_t FrameBytes(uint32_t version) { return version > 1 ? 12 : 8; }

protected:
    explicit KM_Object(uint32_t typeId, uint32_t version = 2);

    // The version and, when above 1, the size: where a listed object's body starts.
    bool ReadVersionAndSize(KM_Stream* stream);
    // An embedded object's frame: its type id, then the version and size.
    bool ReadFrame(KM_Stream* stream);

    // A chunk's Read: text streams are refused, a stream that is not binary reads as nothing, and a body
    // that fails to read shows the exporter's error box with the given text.
    template <typename ReadBody>
    bool ReadBodyOrReport(KM_Stream* stream, const char* error, ReadBody&& readBody)
    {
        const BodyRead mode = _BodyReadMode(stream);
        if (mode != BodyRead::kRead)
            return mode == BodyRead::kNothing;
        if (readBody())
            return true;
        _ReportReadFailure(error);
        return false;
    }
    // A chunk's Write: sizes the object, then writes the text form, or the binary body and shows the
    // exporter's error box with the given text when that fails.
    bool WriteOrReport(KM_Stream* stream, const char* error, const std::function<void()>& writeText,
                       const std::function<bool()>& writeBody);

    bool IsBinaryReadable(KM_Stream* stream) const;
    bool IsText(KM_Stream* stream) const;

    // Text-form lines at the stream's indentation.
    static void OpenBlock(KM_Stream* stream);
    static void CloseBlock(KM_Stream* stream);
    static void PrintTag(KM_Stream* stream, const char* tag);
    static void PrintInt(KM_Stream* stream, const char* tag, int64_t value);
    static void PrintText(KM_Stream* stream, const char* tag, const std::string& text);
    static void PrintHex(KM_Stream* stream, const char* tag, uint32_t value);
    static void PrintFloat(KM_Stream* stream, const char* tag, float value);
    static void PrintFloatSpaced(KM_Stream* stream, const char* tag, float value);
    // The tag line and "{", one level deeper.
    void OpenObjectText(KM_Stream* stream) const;

    std::string m_Name;
    uint32_t m_TypeId;
    uint32_t m_Version;
    uint32_t m_Size;

private:
    // What a chunk's Read does with a stream: refuse it (none, or text), read nothing (neither binary nor
    // text), or read the body.
    enum class BodyRead
    {
        kRefuse,
        kNothing,
        kRead
    };
    static BodyRead _BodyReadMode(KM_Stream* stream);
    static void _ReportReadFailure(const char* error);

    friend class KM_ListBase;
    KM_Object* m_Next;
    KM_Object* m_Previous;
};
