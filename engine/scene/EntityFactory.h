#pragma once

#include <map>
#include <memory>
#include <string>

class kaClassInfo;
class kaEntity;

// The process-wide map from entity class name to creator. Entity classes register during static
// construction, before the program's entry runs; the map is built on first use, so registrations in
// any translation unit may run in any order. Nothing removes entries.
class EntityFactory
{
public:
    using Creator = std::unique_ptr<kaEntity> (*)();
    // Ordered by byte-wise comparison of the names.
    using Map = std::map<std::string, Creator>;

    static Map& Instance();

    // A default-constructed entity of one class.
    template <typename Entity> static std::unique_ptr<kaEntity> Create()
    {
        return std::make_unique<Entity>();
    }

    // A static object of this type in a class's source stores the class's creator under its record's
    // name. A name registered twice keeps the creator stored last.
    class Registration
    {
    public:
        Registration(const kaClassInfo& record, Creator creator);
    };
};

// A new entity of the class registered under exactly that name, owned by the caller; null when no
// creator has that name.
std::unique_ptr<kaEntity> CreateEntity(const std::string& className);
