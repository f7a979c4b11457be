#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The sectioned text format of the configuration file. A section runs from a line that is exactly its
// begin marker (newline included, any case unless its owner asks for an exact match) to the line that is
// exactly its end marker; every owner of a section reads and rewrites it through here, and a rewrite
// leaves every line outside it unchanged.
class kaConfigFile
{
public:
    // Lines are read in pieces of at most this many characters less one; each piece counts as a line.
    static constexpr size_t kLineBufferSize = 256;
    // Keys and numeric values are split at these; text values only at the second set, so they keep blanks.
    static constexpr const char* kNumberDelimiters = " ,=\n";
    static constexpr const char* kTextDelimiters = ",=\n";

    using LineHandler = std::function<void(const std::string& line)>;

    // How a line is compared with the section's markers; the game's own section matches case and all.
    enum class MarkerMatch
    {
        kAnyCase,
        kExact,
    };

    // Hands every line after the begin marker up to the end marker (matched exactly, case included) or the
    // end of the file to the handler. False for an empty name, a file that cannot be opened and a file
    // without the begin marker.
    static bool ReadSection(const std::string& fileName, const std::string& beginMarker,
                            const std::string& endMarker, const LineHandler& handler,
                            MarkerMatch match = MarkerMatch::kAnyCase);

    // Replaces the section with the begin marker, the body and the end marker, keeping the lines before
    // and after it; a file without the section gains it at its end, a missing file is created. An old
    // section without its end marker ends at the next section's begin marker. The new contents go to a
    // temporary file of a unique name beside the file and are renamed over it only when complete, so
    // neither a failure nor another writer at the same time leaves a damaged file. False when nothing
    // was written.
    static bool WriteSection(const std::string& fileName, const std::string& beginMarker,
                             const std::string& endMarker, const std::string& body,
                             MarkerMatch match = MarkerMatch::kAnyCase);

    // The next token after pos, strtok-style: leading delimiters are skipped and pos moves past the
    // delimiter that ends the token. False when only delimiters remain.
    static bool NextToken(const std::string& line, size_t& pos, const char* delimiters, std::string& token);

    // A decimal number: leading blanks skipped, reading stops at the first non-digit, no digits give 0.
    // Values past the range of u32 stay at its maximum.
    static uint32_t ParseNumber(const std::string& token);

    static bool EqualsNoCase(const std::string& a, const std::string& b);

private:
    static bool _IsMarker(const std::string& line, const std::string& marker, MarkerMatch match);
};
