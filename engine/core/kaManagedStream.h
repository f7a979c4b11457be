#pragma once

#include <istream>

// Owns one heap-allocated input stream and deletes it on destruction. Moving hands the stream on;
// copying is refused, since two owners would delete it twice.
class kaManagedStream
{
public:
    kaManagedStream() = default;
    explicit kaManagedStream(std::istream* stream) : m_pStream(stream) {}
    virtual ~kaManagedStream();

    kaManagedStream(kaManagedStream&& other) noexcept;
    kaManagedStream& operator=(kaManagedStream&& other) noexcept;
    kaManagedStream(const kaManagedStream&) = delete;
    kaManagedStream& operator=(const kaManagedStream&) = delete;

    // Deletes the stream held and takes ownership of another (which may be null).
    void Reset(std::istream* stream = nullptr);

    std::istream* Get() const { return m_pStream; }
    std::istream& operator*() const { return *m_pStream; }
    std::istream* operator->() const { return m_pStream; }

private:
    std::istream* m_pStream = nullptr;
};
