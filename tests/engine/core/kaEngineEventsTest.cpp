#include "engine/core/kaEngineEvents.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// Removes its registrations so that cases do not see each other's callbacks.
class EngineEventsTest : public ::testing::Test
{
protected:
    ~EngineEventsTest() override
    {
        for (kaEngineCallbackId registration : m_Registrations)
            RemoveEngineCallback(registration);
    }

    kaEngineCallbackId Register(int32_t id, const kaEngineCallback& callback)
    {
        m_Registrations.push_back(RegisterEngineCallback(id, callback));
        return m_Registrations.back();
    }

    std::vector<kaEngineCallbackId> m_Registrations;
    std::vector<std::string> m_Calls;
};

} // namespace

TEST_F(EngineEventsTest, CallbacksOfOneIdRunInRegistrationOrderWithTheirOwnCopy)
{
    Register(-2,
             [this](kaEngineEvent event)
             {
                 m_Calls.push_back("first " + event.GetText() + " " + std::to_string(event.GetValue()));
                 // Spoiling this copy must not reach the next callback.
                 event = kaEngineEvent(0, "spoilt", 99);
             });
    Register(-1, [this](kaEngineEvent) { m_Calls.push_back("other id"); });
    Register(-2, [this](kaEngineEvent event)
             { m_Calls.push_back("second " + event.GetText() + " " + std::to_string(event.GetValue())); });

    NotifyCallbacks(kaEngineEvent(-2, "reset", 3));
    // An id without entries calls nothing.
    NotifyCallbacks(kaEngineEvent(-3));
    NotifyCallbacks(kaEngineEvent(12345));
    EXPECT_EQ(m_Calls, (std::vector<std::string>{"first reset 3", "second reset 3"}));
}

TEST_F(EngineEventsTest, EmptyAndRemovedCallbacksAreSkipped)
{
    Register(5, kaEngineCallback());
    Register(5, [this](kaEngineEvent) { m_Calls.push_back("called"); });
    NotifyCallbacks(kaEngineEvent(5));
    EXPECT_EQ(m_Calls, std::vector<std::string>{"called"});

    // Removed ones are no longer called.
    m_Calls.clear();
    const kaEngineCallbackId first = Register(7, [this](kaEngineEvent) { m_Calls.push_back("first"); });
    Register(7, [this](kaEngineEvent) { m_Calls.push_back("second"); });
    RemoveEngineCallback(first);
    RemoveEngineCallback(first);
    NotifyCallbacks(kaEngineEvent(7));
    EXPECT_EQ(m_Calls, std::vector<std::string>{"second"});
}

TEST_F(EngineEventsTest, ACallbackMayRemoveItselfWhileBeingNotified)
{
    kaEngineCallbackId self = 0;
    self = Register(8,
                    [this, &self](kaEngineEvent)
                    {
                        m_Calls.push_back("once");
                        RemoveEngineCallback(self);
                    });
    Register(8, [this](kaEngineEvent) { m_Calls.push_back("always"); });
    NotifyCallbacks(kaEngineEvent(8));
    NotifyCallbacks(kaEngineEvent(8));
    EXPECT_EQ(m_Calls, (std::vector<std::string>{"once", "always", "always"}));
}
