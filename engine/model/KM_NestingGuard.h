#pragma once

// Counts one level of nesting for as long as it lives, so that a file cannot make a reader of nested
// lists recurse without bound. Each kind of nesting keeps its own counter.
class KM_NestingGuard
{
public:
    static constexpr int kMaxNesting = 16;

    explicit KM_NestingGuard(int& depth) : m_Depth(depth) { ++m_Depth; }
    ~KM_NestingGuard() { --m_Depth; }
    KM_NestingGuard(const KM_NestingGuard&) = delete;
    KM_NestingGuard& operator=(const KM_NestingGuard&) = delete;

    bool TooDeep() const { return m_Depth > kMaxNesting; }

private:
    int& m_Depth;
};
