#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class kaAnimationFade;

// A numbered channel of a model instance: the fades on it, in the order they were added.
class kaAnimationChannel
{
public:
    explicit kaAnimationChannel(int32_t number);
    ~kaAnimationChannel();
    kaAnimationChannel(const kaAnimationChannel&) = delete;
    kaAnimationChannel& operator=(const kaAnimationChannel&) = delete;

    // The first fade of an animation of exactly that name, or null.
    kaAnimationFade* FindFade(const std::string& name) const;

    int32_t m_Number;
    std::vector<std::unique_ptr<kaAnimationFade>> m_Fades;
};
