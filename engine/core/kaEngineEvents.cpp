#include "engine/core/kaEngineEvents.h"

#include <map>
#include <utility>
#include <vector>

namespace
{

struct Entry
{
    kaEngineCallbackId registration;
    kaEngineCallback callback;
};

struct EventTable
{
    // A multimap keeps entries of equal ids in insertion order.
    std::multimap<int32_t, Entry> entries;
    kaEngineCallbackId lastRegistration = 0;
};

// Built on first use, so registrations from other static constructors find it ready.
EventTable& Table()
{
    static EventTable table;
    return table;
}

} // namespace

kaEngineCallbackId RegisterEngineCallback(int32_t eventId, const kaEngineCallback& callback)
{
    EventTable& table = Table();
    const kaEngineCallbackId registration = ++table.lastRegistration;
    table.entries.emplace(eventId, Entry{registration, callback});
    return registration;
}

void RemoveEngineCallback(kaEngineCallbackId registration)
{
    auto& entries = Table().entries;
    for (auto it = entries.begin(); it != entries.end(); ++it)
    {
        if (it->second.registration == registration)
        {
            entries.erase(it);
            return;
        }
    }
}

void NotifyCallbacks(const kaEngineEvent& event)
{
    // Copied first: a callback that edits the table must not pull entries from under the loop.
    std::vector<kaEngineCallback> callbacks;
    const auto range = Table().entries.equal_range(event.GetId());
    for (auto it = range.first; it != range.second; ++it)
    {
        if (!it->second.callback.empty())
            callbacks.push_back(it->second.callback);
    }
    for (const kaEngineCallback& callback : callbacks)
        callback(kaEngineEvent(event.GetId(), event.GetText(), event.GetValue()));
}
