#include "tools/worldgen/SampleWorld.h"

#include "engine/core/kaXmlHelpers.h"
#include "platform/files/Files.h"

#include <tinyxml.h>

namespace
{

const char* const kModels = "resources/models/";

struct Record
{
    const char* id;
    const char* model;
    // Static geometry: pinned, it has no body.
    bool pinned;
};
// Physical props: the records, applied over the course's blocks as the world loads, pin the ramp.
const char* const kPropClass = "kaEntityPhysical";
const Record kRecords[] = {{"Ramp", "ramp/ramp.kmf", true},
                           {"Crate", "crate/crate.kmf", false},
                           {"Ball", "ball/ball.kmf", false}};

std::string Print(const TiXmlDocument& document)
{
    TiXmlPrinter printer;
    document.Accept(&printer);
    return printer.CStr();
}

// The block a model entity writes of itself: the base keys, its model, its rotation and place.
void AppendEntity(TiXmlElement* entities, const SampleWorld::Placed& placed)
{
    TiXmlElement* entity = AppendElement(entities, "Entity");
    AppendTextElement(entity, "initUniqueID", placed.record);
    AppendTextElement(entity, "name", placed.name);
    AppendTextElement(entity, "type", kPropClass);
    AppendIntElement(entity, "entityID", placed.id);
    AppendBoolElement(entity, "visible", true);
    AppendBoolElement(entity, "selectable", true);
    std::string model;
    for (const Record& record : kRecords)
    {
        if (placed.record == record.id)
            model = std::string(kModels) + record.model;
    }
    AppendTextElement(entity, "kmfFilename", model);
    AppendBoolElement(entity, "snapToTerrain", false);
    TiXmlElement* quaternion = AppendElement(AppendElement(entity, "rotation"), "quaternion");
    AppendFloatElement(quaternion, "x", 0.0f);
    AppendFloatElement(quaternion, "y", 0.0f);
    AppendFloatElement(quaternion, "z", 0.0f);
    AppendFloatElement(quaternion, "w", 1.0f);
    TiXmlElement* position = AppendElement(entity, "position");
    AppendFloatElement(position, "x", placed.x);
    AppendFloatElement(position, "z", placed.z);
    AppendFloatElement(position, "y", placed.y);
}

} // namespace

std::vector<SampleWorld::Placed> SampleWorld::SampleEntities()
{
    return {{"Ramp", "Ramp", 1, 0.0f, 0.0f, -2.0f},
            {"Crate", "Crate", 2, -6.0f, 0.5f, 6.0f},
            {"Ball", "Ball", 3, 6.0f, 0.5f, 6.0f}};
}

std::string SampleWorld::CourseText(const std::vector<Placed>& entities)
{
    TiXmlDocument document;
    BuildCourse(document, entities);
    return Print(document);
}

void SampleWorld::BuildCourse(TiXmlDocument& document, const std::vector<Placed>& entities)
{
    TiXmlElement* world = AppendElement(&document, "World");
    AppendTextElement(world, "arena", kVenue);
    AppendTextElement(world, "name", "Sample Course");
    AppendTextElement(world, "preview", "");
    AppendTextElement(world, "description", "A ramp, a crate and a ball in the sample arena.");
    TiXmlElement* start = AppendElement(world, "startpoint");
    AppendFloatElement(start, "x", 0.0f);
    AppendFloatElement(start, "z", -16.0f);
    TiXmlElement* rotation = AppendElement(AppendElement(world, "startrotation"), "quaternion");
    AppendFloatElement(rotation, "w", 1.0f);
    AppendFloatElement(rotation, "x", 0.0f);
    AppendFloatElement(rotation, "y", 0.0f);
    AppendFloatElement(rotation, "z", 0.0f);
    TiXmlElement* list = AppendElement(world, "Entities");
    for (const Placed& placed : entities)
        AppendEntity(list, placed);
}

bool SampleWorld::WriteAll()
{
    TiXmlDocument records;
    TiXmlElement* root = AppendElement(&records, "root");
    TiXmlElement* venue = AppendElement(root, "initData");
    AppendTextElement(venue, "uniqueID", kVenue);
    AppendTextElement(venue, "dataType", "Venue");
    TiXmlElement* venueData = AppendElement(venue, "data");
    AppendTextElement(venueData, "kmfFilename", std::string(kModels) + "arena/arena.kmf");
    AppendTextElement(venueData, "name", "Arena");
    for (const Record& record : kRecords)
    {
        TiXmlElement* entity = AppendElement(root, "initData");
        AppendTextElement(entity, "uniqueID", record.id);
        AppendTextElement(entity, "dataType", "Entity");
        TiXmlElement* data = AppendElement(entity, "data");
        AppendTextElement(data, "classType", kPropClass);
        AppendTextElement(data, "kmfFilename", std::string(kModels) + record.model);
        if (record.pinned)
            AppendBoolElement(data, "pinned", true);
    }
    TiXmlDocument course;
    BuildCourse(course, SampleEntities());
    return _Write(kInitDataFile, records) && _Write(kCourseFile, course);
}

bool SampleWorld::_Write(const std::string& relative, const TiXmlDocument& document)
{
    const std::string path = m_Root + "/" + relative;
    const std::string folder = path.substr(0, path.rfind('/'));
    if (!platform::IsDirectory(folder) && !platform::CreateDirectory(folder))
        return false;
    return SaveXmlDocument(document, path);
}
