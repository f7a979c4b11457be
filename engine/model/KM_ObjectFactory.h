#pragma once

#include <memory>

class KM_Object;
class KM_Stream;

// Reads a type id and returns a new, empty object of its class; the caller then calls its Read.
// An unknown type is skipped by its size and gives null, as does a failed read.
std::unique_ptr<KM_Object> CreateKMObject(KM_Stream* stream);
