#pragma once

#include <map>
#include <string>

class kaMaterial;

// The process-wide map from material class name to creator, apart from the entity factory's. Built on
// first use, so registrations during static construction may run in any order.
class MaterialRegistry
{
public:
    // A new material owned by the caller, or null.
    using Creator = kaMaterial* (*)();
    using Map = std::map<std::string, Creator>;

    static Map& Instance();
    // The entry for the name, inserted empty when missing; a registration stores its creator in it.
    static Creator& Register(const std::string& className);
    // A new material of the class registered under exactly that name, owned by the caller; null when no
    // creator has that name.
    static kaMaterial* Create(const std::string& className);

    template <typename Material> static kaMaterial* Make() { return new Material(); }
};
