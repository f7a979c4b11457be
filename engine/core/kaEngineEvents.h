#pragma once

#include "engine/core/kaEngineEvent.h"

#include <boost/function.hpp>

#include <cstdint>

// The process-wide table of engine-event callbacks, keyed by event id. Callbacks of one id run in the
// order they were registered. It starts empty: the engine itself registers nothing.
using kaEngineCallback = boost::function<void(kaEngineEvent)>;

// Identifies one registration, for removing it; never 0.
using kaEngineCallbackId = uint64_t;

kaEngineCallbackId RegisterEngineCallback(int32_t eventId, const kaEngineCallback& callback);
// Removing an unknown or already removed registration does nothing.
void RemoveEngineCallback(kaEngineCallbackId registration);

// Calls every non-empty callback registered for the event's id, each with a fresh copy of the event.
// Callbacks may register or remove entries meanwhile; the change applies from the next notification.
void NotifyCallbacks(const kaEngineEvent& event);
