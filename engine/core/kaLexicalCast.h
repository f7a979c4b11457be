#pragma once

#include <limits>
#include <sstream>
#include <string>
#include <type_traits>
#include <typeinfo>

namespace ka
{

// Thrown when a value cannot be converted by lexical_cast.
class bad_lexical_cast : public std::bad_cast
{
public:
    const char* what() const noexcept override
    {
        return "bad_lexical_cast: source type value could not be interpreted as target";
    }
};

namespace detail
{

// Enough significant digits that a value survives a round trip through text: 7 for float, 10 for int,
// 1 for bool.
template <typename Source, typename Target> std::streamsize LexicalPrecision()
{
    if (std::numeric_limits<Source>::is_specialized)
        return std::numeric_limits<Source>::digits10 + 1;
    if (std::numeric_limits<Target>::is_specialized)
        return std::numeric_limits<Target>::digits10 + 1;
    return 6;
}

inline bool OnlyBlanksLeft(std::stringstream& stream)
{
    std::streambuf* buffer = stream.rdbuf();
    const auto& facet = std::use_facet<std::ctype<char>>(stream.getloc());
    for (int c = buffer->sgetc(); c != std::char_traits<char>::eof(); c = buffer->snextc())
    {
        if (!facet.is(std::ctype_base::space, static_cast<char>(c)))
            return false;
    }
    return true;
}

// A string stream made once per thread and reset for each conversion: making one costs more than most
// conversions do. A conversion that starts inside another (a type whose text form converts values itself)
// gets a stream of its own.
class LexicalStream
{
public:
    LexicalStream() : m_Stream(Take()) {}
    ~LexicalStream()
    {
        if (m_Stream == &Shared())
            InUse() = false;
        else
            delete m_Stream;
    }
    LexicalStream(const LexicalStream&) = delete;
    LexicalStream& operator=(const LexicalStream&) = delete;

    std::stringstream& Get() { return *m_Stream; }

private:
    static std::stringstream& Shared()
    {
        thread_local std::stringstream stream;
        return stream;
    }
    static bool& InUse()
    {
        thread_local bool inUse = false;
        return inUse;
    }
    // The shared stream as a new one would be, or a new one while the shared one is busy.
    static std::stringstream* Take()
    {
        if (InUse())
            return new std::stringstream;
        InUse() = true;
        std::stringstream& stream = Shared();
        stream.str(std::string());
        stream.clear();
        stream.flags(std::ios::skipws | std::ios::dec);
        stream.width(0);
        stream.fill(' ');
        return &stream;
    }

    std::stringstream* m_Stream;
};

} // namespace detail

// Converts a value to another type through its text form. Leading white space is an error, trailing
// white space is allowed, and the whole text must be used; any failure throws bad_lexical_cast.
template <typename Target, typename Source> Target lexical_cast(const Source& source)
{
    detail::LexicalStream held;
    std::stringstream& stream = held.Get();
    stream.unsetf(std::ios::skipws);
    stream.precision(detail::LexicalPrecision<typename std::decay<Source>::type, Target>());
    if (!(stream << source))
        throw bad_lexical_cast();

    if constexpr (std::is_same<Target, std::string>::value)
    {
        // A text target takes the whole text, blanks included.
        return stream.str();
    }
    else
    {
        Target result{};
        if (!(stream >> result) || !detail::OnlyBlanksLeft(stream))
            throw bad_lexical_cast();
        return result;
    }
}

} // namespace ka
