#include "tools/worldgen/GameSurfaces.h"

#include "engine/core/kaXmlHelpers.h"

#include <tinyxml.h>

#include <string>

namespace
{

TiXmlElement* AppendRecord(TiXmlElement* root, const std::string& id, const std::string& dataType)
{
    TiXmlElement* record = AppendElement(root, "initData");
    AppendTextElement(record, "uniqueID", id);
    AppendTextElement(record, "dataType", dataType);
    return AppendElement(record, "data");
}

void AppendColour(TiXmlElement* parent, const char* name, int r, int g, int b, int a)
{
    TiXmlElement* colour = AppendElement(parent, name);
    AppendIntElement(colour, "r", r);
    AppendIntElement(colour, "g", g);
    AppendIntElement(colour, "b", b);
    AppendIntElement(colour, "a", a);
}

// A wheel emitter of one of the game's classes, coloured like its ground; its rate follows the wheel.
TiXmlElement* AppendParticle(TiXmlElement* root, const char* id, const char* classType, float rate,
                             float speed, float size, int r, int g, int b)
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

void AppendSurface(TiXmlElement* root, const char* id, float friction, const char* roll, const char* slip)
{
    TiXmlElement* data = AppendRecord(root, id, "Material");
    AppendFloatElement(data, "friction", friction);
    AppendTextElement(data, "rollParticle", roll);
    AppendTextElement(data, "slipParticle", slip);
}

} // namespace

void GameSurfaces::Append(TiXmlElement* root)
{
    AppendParticle(root, kTrackSpray, "WheelParticle", 40.0f, 1.5f, 0.15f, 150, 120, 80);
    // Clods of mixed size that fall back under the emitter's gravity.
    TiXmlElement* clods = AppendParticle(root, kMudClods, "MudParticle", 30.0f, 3.0f, 0.12f, 90, 70, 40);
    AppendFloatElement(clods, "startForVariance", 1.5f);
    AppendFloatElement(clods, "scale", 0.12f);
    AppendFloatElement(clods, "scaleVar", 0.08f);
    TiXmlElement* gravity = AppendElement(clods, "gravity");
    AppendFloatElement(gravity, "x", 0.0f);
    AppendFloatElement(gravity, "y", -9.8f);
    AppendFloatElement(gravity, "z", 0.0f);
    TiXmlElement* kick = AppendParticle(root, kDirtKick, "DirtSlip", 30.0f, 2.5f, 0.1f, 120, 90, 60);
    AppendFloatElement(kick, "startForVariance", 1.0f);

    AppendSurface(root, kTrack, 1.0f, kTrackSpray, kDirtKick);
    // Mud drags and throws clods.
    AppendSurface(root, kMud, 0.8f, kMudClods, kDirtKick);
}
