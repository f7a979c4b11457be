#pragma once

#include <string>

class TiXmlElement;

// The record shapes every generated init-data file writes: a record, a colour, a wheel emitter and a
// surface material.
class InitDataRecords
{
public:
    // An "initData" record with its id and data type; returns its "data" element.
    static TiXmlElement* AppendRecord(TiXmlElement* root, const std::string& id, const std::string& dataType);
    static void AppendColour(TiXmlElement* parent, const char* name, int r, int g, int b, int a);
    // A wheel emitter of the class, coloured like its ground; its rate follows the wheel's spin.
    static TiXmlElement* AppendWheelEmitter(TiXmlElement* root, const char* id, const char* classType,
                                            float rate, float speed, float size, int r, int g, int b);
    // A surface with its friction and the emitters a rolling and a slipping wheel throw (none when null).
    static void AppendSurface(TiXmlElement* root, const char* id, float friction, const char* roll,
                              const char* slip);
};
