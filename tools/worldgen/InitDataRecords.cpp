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

TiXmlElement* InitDataRecords::AppendWheelEmitter(TiXmlElement* root, const char* id, const char* classType,
                                                  float rate, float speed, float size, int r, int g, int b)
{
    TiXmlElement* data = AppendRecord(root, id, "Entity");
    AppendTextElement(data, "classType", classType);
    AppendIntElement(data, "maxParticles", 60);
    AppendFloatElement(data, "lifeTime", 0.8f);
    AppendFloatElement(data, "emitRate", rate);
    AppendTextElement(data, "texture", "resources/particles/spark.tga");
    AppendFloatElement(data, "startVelocityFor", speed);
    AppendFloatElement(data, "startVelocityX", 1.0f);
    AppendFloatElement(data, "startVelocityZ", 1.0f);
    AppendFloatElement(data, "scaleXStart", size);
    AppendFloatElement(data, "scaleXEnd", size * 3.0f);
    AppendFloatElement(data, "scaleYStart", size);
    AppendFloatElement(data, "scaleYEnd", size * 3.0f);
    AppendColour(data, "colorStart", r, g, b, 255);
    AppendColour(data, "colorEnd", r, g, b, 0);
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
