#pragma once

#include "engine/model/KM_MessageBox.h"
#include "engine/model/KM_Object.h"
#include "engine/model/KM_Stream.h"
#include "tests/support/TempDir.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kmftest
{

// Builds KMF bytes by hand, little-endian.
class Bytes
{
public:
    Bytes& U32(uint32_t value)
    {
        m_Data.append(reinterpret_cast<const char*>(&value), 4);
        return *this;
    }
    Bytes& I32(int32_t value) { return U32(static_cast<uint32_t>(value)); }
    Bytes& F32(float value)
    {
        m_Data.append(reinterpret_cast<const char*>(&value), 4);
        return *this;
    }
    Bytes& Floats(std::initializer_list<float> values)
    {
        for (float v : values)
            F32(v);
        return *this;
    }
    Bytes& Byte(uint8_t value)
    {
        m_Data.push_back(static_cast<char>(value));
        return *this;
    }
    // A counted string with its NUL; "" is written as length 0.
    Bytes& Str(const std::string& text)
    {
        if (text.empty())
            return U32(0);
        U32(static_cast<uint32_t>(text.size() + 1));
        m_Data.append(text);
        m_Data.push_back('\0');
        return *this;
    }
    Bytes& Raw(const std::string& bytes)
    {
        m_Data.append(bytes);
        return *this;
    }
    Bytes& Add(const Bytes& other) { return Raw(other.m_Data); }
    // A file header; words A (versions 2 and 3 only) and B.
    Bytes& Header(uint32_t version = 3, const std::string& block = "")
    {
        Raw("KMI").U32(version);
        if (version > 1)
            U32(1);
        U32(static_cast<uint32_t>(block.size())).Raw(block);
        return U32(0);
    }
    // An identity-row node transform, embedded: type id 17, version 2, size, body.
    Bytes& NodeTM(const std::string& name)
    {
        U32(17).U32(2).U32(static_cast<uint32_t>((name.empty() ? 0 : name.size() + 1) + 52)).Str(name);
        return Floats({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0});
    }

    const std::string& Data() const { return m_Data; }
    size_t Size() const { return m_Data.size(); }

private:
    std::string m_Data;
};

// Records every message box for its lifetime.
class MessageBoxCapture
{
public:
    MessageBoxCapture()
    {
        m_Previous = KM_MessageBox::SetHook([this](const std::string& text, const std::string& caption)
                                            { m_Boxes.emplace_back(text, caption); });
    }
    ~MessageBoxCapture() { KM_MessageBox::SetHook(std::move(m_Previous)); }
    MessageBoxCapture(const MessageBoxCapture&) = delete;
    MessageBoxCapture& operator=(const MessageBoxCapture&) = delete;

    const std::vector<std::pair<std::string, std::string>>& Boxes() const { return m_Boxes; }
    bool Shown(const std::string& text, const std::string& caption) const
    {
        for (const auto& box : m_Boxes)
        {
            if (box.first == text && box.second == caption)
                return true;
        }
        return false;
    }
    void Clear() { m_Boxes.clear(); }

private:
    KM_MessageBox::Hook m_Previous;
    std::vector<std::pair<std::string, std::string>> m_Boxes;
};

// Files in a temporary folder, written from bytes or through a stream.
class Files
{
public:
    std::string Path(const std::string& name) const { return m_Dir.File(name); }
    std::string Put(const std::string& name, const std::string& bytes) const
    {
        return m_Dir.Write(name, bytes);
    }
    std::string Get(const std::string& name) const { return m_Dir.Read(name); }
    std::vector<std::string> Entries() const { return m_Dir.Entries(); }

    // Opens the bytes for reading in binary mode, without reading a header.
    bool Open(KM_Stream& stream, const std::string& bytes, const std::string& name = "in.kmf") const
    {
        return stream.Open(Put(name, bytes).c_str(), KM_Stream::kBinary);
    }

    // Runs a writer on a committed stream and returns the bytes it wrote.
    std::string Written(const std::function<bool(KM_Stream*)>& writer, int mode = KM_Stream::kBinary,
                        const std::string& name = "out.kmf") const
    {
        KM_Stream stream;
        if (!stream.OpenForWrite(Path(name).c_str(), mode) || !writer(&stream) || !stream.Commit())
            return std::string();
        return Get(name);
    }
    std::string Written(KM_Object& object, int mode = KM_Stream::kBinary) const
    {
        return Written([&object](KM_Stream* s) { return object.Write(s); }, mode);
    }

private:
    testsupport::TempDir m_Dir;
};

inline uint32_t WordAt(const std::string& bytes, size_t offset)
{
    uint32_t value = 0;
    if (offset + 4 <= bytes.size())
        std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

} // namespace kmftest
