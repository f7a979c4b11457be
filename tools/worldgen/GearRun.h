#pragma once

#include "tools/worldgen/StuntYard.h"

#include <string>
#include <vector>

class TiXmlDocument;

// Writes the career's third level, the same bytes on every run: the stunt yard's gear, none of it sold in
// the stunt shop, down the open sample arena's long axis and beside it, so that the career never sends a
// driver onto a venue or past gear the shop still locks.
class GearRun
{
public:
    static constexpr const char* kCourseFile = "Worlds/gear_run.xml";
    static constexpr const char* kName = "Gear Run";
    static constexpr int kTimeLimit = 60;
    // The points token and the returning tokens on the straight pay 250 on one pass.
    static constexpr int kScoreLimit = 200;
    static constexpr float kRepFactor = 0.2f;
    // Near the east wall facing west, the chase camera inside that wall (x = 31).
    static constexpr float kStartX = 12.0f;

    // A placed record, as the stunt yard places its gear.
    using Placed = StuntYard::Placed;
    static const std::vector<Placed>& Entities();

    explicit GearRun(const std::string& root) : m_Root(root) {}

    bool WriteAll();
    static void BuildCourse(TiXmlDocument& document);

private:
    std::string m_Root;
};
