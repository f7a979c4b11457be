#include "tools/worldgen/InitDataRecords.h"

#include "engine/core/kaXmlHelpers.h"

#include <tinyxml.h>

TiXmlElement* InitDataRecords::AppendRecord(TiXmlElement* root, const std::string& id,
                                            const std::string& dataType)
{
    TiXmlElement* record = AppendElement(root, "initData");
    AppendTextElement(record, "uniqueID", id);
    AppendTextElement(record, "dataType", dataType);
    return AppendElement(record, "data");
}

void InitDataRecords::AppendColour(TiXmlElement* parent, const char* name, int r, int g, int b, int a)
{
    TiXmlElement* colour = AppendElement(parent, name);
    AppendIntElement(colour, "r", r);
    AppendIntElement(colour, "g", g);
    AppendIntElement(colour, "b", b);
    AppendIntElement(colour, "a", a);
}

TiXmlElement* InitDataRecords::AppendEmitter(TiXmlElement* root, const char* id, const Particles& particles)
{
    TiXmlElement* data = AppendRecord(root, id, "Entity");
    AppendTextElement(data, "classType", particles.classType);
    AppendIntElement(data, "maxParticles", particles.maxParticles);
    AppendFloatElement(data, "lifeTime", particles.lifeTime);
    AppendFloatElement(data, "emitRate", particles.rate);
    AppendTextElement(data, "texture", "resources/particles/spark.tga");
    AppendFloatElement(data, "startVelocityFor", particles.speed);
    AppendFloatElement(data, "startVelocityX", particles.spread);
    AppendFloatElement(data, "startVelocityZ", particles.spread);
    AppendFloatElement(data, "scaleXStart", particles.scaleStart);
    AppendFloatElement(data, "scaleXEnd", particles.scaleEnd);
    AppendFloatElement(data, "scaleYStart", particles.scaleStart);
    AppendFloatElement(data, "scaleYEnd", particles.scaleEnd);
    const int* start = particles.start;
    const int* end = particles.end;
    AppendColour(data, "colorStart", start[0], start[1], start[2], start[3]);
    AppendColour(data, "colorEnd", end[0], end[1], end[2], end[3]);
    return data;
}

void InitDataRecords::AppendGravity(TiXmlElement* data, float x, float y, float z)
{
    TiXmlElement* gravity = AppendElement(data, "gravity");
    AppendFloatElement(gravity, "x", x);
    AppendFloatElement(gravity, "y", y);
    AppendFloatElement(gravity, "z", z);
}

TiXmlElement* InitDataRecords::AppendWheelEmitter(TiXmlElement* root, const char* id, const char* classType,
                                                  float rate, float speed, float size, int r, int g, int b)
{
    TiXmlElement* data = AppendEmitter(
        root, id, {classType, 60, 0.8f, rate, speed, 1.0f, size, size * 3.0f, {r, g, b, 255}, {r, g, b, 0}});
    AppendFloatElement(data, "rollThresholdMin", 1.0f);
    AppendFloatElement(data, "rollThresholdMax", 20.0f);
    return data;
}

void InitDataRecords::AppendSurface(TiXmlElement* root, const char* id, float friction, const char* roll,
                                    const char* slip)
{
    TiXmlElement* data = AppendRecord(root, id, "Material");
    AppendFloatElement(data, "friction", friction);
    if (roll)
        AppendTextElement(data, "rollParticle", roll);
    if (slip)
        AppendTextElement(data, "slipParticle", slip);
}

TiXmlElement* InitDataRecords::AppendModelRecord(TiXmlElement* root, const std::string& id,
                                                 const char* classType, const std::string& model)
{
    TiXmlElement* data = AppendRecord(root, id, "Entity");
    AppendTextElement(data, "classType", classType);
    AppendTextElement(data, "kmfFilename", kModelFolder + model);
    return data;
}

TiXmlElement* InitDataRecords::AppendVenue(TiXmlElement* root, const char* id, const char* model,
                                           const char* name, const char* floor)
{
    TiXmlElement* venue = AppendRecord(root, id, "Venue");
    AppendTextElement(venue, "kmfFilename", std::string(kModelFolder) + model);
    AppendTextElement(venue, "name", name);
    AppendLookup(venue, floor, "PRIM_Floor");
    return venue;
}

void InitDataRecords::AppendLookup(TiXmlElement* data, const char* material, const char* primitive)
{
    TiXmlElement* lookup = AppendElement(data, "materialLookup");
    AppendTextElement(lookup, "materialID", material);
    AppendTextElement(lookup, "prim", primitive);
}

void InitDataRecords::AppendNamedJoint(TiXmlElement* root, const std::string& id, const std::string& kind,
                                       const std::string& name)
{
    TiXmlElement* record = AppendElement(root, "initData");
    AppendTextElement(record, "uniqueID", id);
    AppendTextElement(record, "dataType", "Entity");
    AppendTextElement(record, "include", kind);
    AppendTextElement(AppendElement(record, "data"), "name", name);
}

void InitDataRecords::AppendWheelRecord(TiXmlElement* root, const char* id, const char* classType)
{
    TiXmlElement* wheel = AppendModelRecord(root, id, classType, "car/wheel.xml");
    AppendTextElement(wheel, "wheelMaterial", "Tyre");
}

void InitDataRecords::AppendWheelJoint(TiXmlElement* vehicle, const char* wheelClass, const char* wheelRecord,
                                       const std::string& bone, const std::string& jointRecord)
{
    TiXmlElement* joint = AppendElement(vehicle, "joint");
    AppendTextElement(joint, "jointClass", "kaHinge2Joint");
    AppendTextElement(joint, "childClass", wheelClass);
    AppendTextElement(joint, "childInitID", wheelRecord);
    AppendTextElement(joint, "parentBone", bone);
    AppendTextElement(joint, "childBone", "Hub");
    AppendTextElement(joint, "jointInitID", jointRecord);
}
