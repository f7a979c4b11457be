#pragma once

#include <string>

class TiXmlElement;

// The record shapes every generated init-data file writes: a record, a colour, a particle emitter, a
// surface material, a model's record and the parts of a vehicle's.
class InitDataRecords
{
public:
    static constexpr const char* kModelFolder = "resources/models/";

    // An "initData" record with its id and data type; returns its "data" element.
    static TiXmlElement* AppendRecord(TiXmlElement* root, const std::string& id, const std::string& dataType);
    static void AppendColour(TiXmlElement* parent, const char* name, int r, int g, int b, int a);
    // A particle emitter's keys: its particles spread sideways as they leave and scale from start to end.
    struct Particles
    {
        const char* classType;
        int maxParticles;
        float lifeTime;
        float rate;
        float speed;
        float spread;
        float scaleStart;
        float scaleEnd;
        int start[4];
        int end[4];
    };
    static TiXmlElement* AppendEmitter(TiXmlElement* root, const char* id, const Particles& particles);
    static void AppendGravity(TiXmlElement* data, float x, float y, float z);
    // A wheel emitter of the class, coloured like its ground; its rate follows the wheel's spin.
    static TiXmlElement* AppendWheelEmitter(TiXmlElement* root, const char* id, const char* classType,
                                            float rate, float speed, float size, int r, int g, int b);
    // A surface with its friction and the emitters a rolling and a slipping wheel throw (none when null).
    static void AppendSurface(TiXmlElement* root, const char* id, float friction, const char* roll,
                              const char* slip);
    // An "Entity" record of the class on a model under the models folder; returns its data.
    static TiXmlElement* AppendModelRecord(TiXmlElement* root, const std::string& id, const char* classType,
                                           const std::string& model);
    // A venue record: its model under the models folder, its name and its floor's surface; returns its data.
    static TiXmlElement* AppendVenue(TiXmlElement* root, const char* id, const char* model, const char* name,
                                     const char* floor);
    // The surface a primitive of the model stands for.
    static void AppendLookup(TiXmlElement* data, const char* material, const char* primitive);
    // A named joint of a kind (its suspension and stops) for a vehicle's wheel.
    static void AppendNamedJoint(TiXmlElement* root, const std::string& id, const std::string& kind,
                                 const std::string& name);
    // A wheel record of that class on the sample wheel model.
    static void AppendWheelRecord(TiXmlElement* root, const char* id, const char* classType);
    // A vehicle's hinge-2 joint holding a wheel of that record by its hub at the bone.
    static void AppendWheelJoint(TiXmlElement* vehicle, const char* wheelClass, const char* wheelRecord,
                                 const std::string& bone, const std::string& jointRecord);
};
