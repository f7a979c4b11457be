#pragma once

#include <cstdint>

// What the course world tells the run summary when a run ends, and the step it runs each frame while the
// summary shows. The summary screen implements it, so that the world does not depend on the screens.
class RunSummary
{
public:
    virtual ~RunSummary() = default;

    virtual void SetWrecked(bool wrecked) = 0;
    virtual void SetPassed(bool passed) = 0;
    virtual void SetLevelUp(bool levelUp) = 0;
    virtual void SetReputation(int32_t points) = 0;
    virtual void Update() = 0;
};
