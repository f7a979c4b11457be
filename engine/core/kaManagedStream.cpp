#include "engine/core/kaManagedStream.h"

#include <utility>

kaManagedStream::~kaManagedStream()
{
    Reset();
}

kaManagedStream::kaManagedStream(kaManagedStream&& other) noexcept : m_pStream(other.m_pStream)
{
    other.m_pStream = nullptr;
}

kaManagedStream& kaManagedStream::operator=(kaManagedStream&& other) noexcept
{
    if (this != &other)
    {
        Reset(other.m_pStream);
        other.m_pStream = nullptr;
    }
    return *this;
}

void kaManagedStream::Reset(std::istream* stream)
{
    delete m_pStream;
    m_pStream = stream;
}
