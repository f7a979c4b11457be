#include "game/records/tvPlayer.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/scene/EntityFactory.h"
#include "game/world/tvXmlFile.h"

#include <tinyxml.h>

KA_ENTITY_CLASS_RECORD_DEFINITION(tvPlayer, "tvPlayer")

namespace
{

const EntityFactory::Registration s_Registration(tvPlayer::StaticClassInfo(),
                                                 &EntityFactory::Create<tvPlayer>);

} // namespace

const tvPlayer::CounterKey tvPlayer::s_Counters[] = {
    {"totalRepPoints", &tvPlayer::m_TotalRepPoints},
    {"unspentRepPoints", &tvPlayer::m_UnspentRepPoints},
    {"totalPointsEarned", &tvPlayer::m_TotalPointsEarned},
    {"nearDeaths", &tvPlayer::m_NearDeaths},
    {"courseRuns", &tvPlayer::m_CourseRuns},
    {"careerLevel", &tvPlayer::m_CareerLevel},
};

tvPlayer::tvPlayer() = default;

tvPlayer::~tvPlayer() = default;

bool tvPlayer::Load(const std::string& path)
{
    if (!tvXmlFile::LoadRoot(
            path, kRootElement, [this](const TiXmlElement* element) { ReadXml(element); }, "tvPlayer::Load",
            "holds a number that is not one"))
        return false;
    m_FilePath = path;
    return true;
}

bool tvPlayer::Save(const std::string& path)
{
    m_FilePath = path;
    return tvXmlFile::SaveRoot(
        path, kRootElement, [this](TiXmlElement* element) { WriteXml(element); }, "tvPlayer::Save");
}

void tvPlayer::ReadXml(const TiXmlElement* element)
{
    if (!element)
        return;
    if (const TiXmlElement* name = element->FirstChildElement("playerName"))
        m_PlayerName = GetElementText(name);
    for (const CounterKey& key : s_Counters)
        if (const TiXmlElement* counter = element->FirstChildElement(key.name))
            this->*key.field = GetElementInt(counter);

    if (const TiXmlElement* unlocked = element->FirstChildElement("unlocked"))
        for (const TiXmlElement* entry = unlocked->FirstChildElement("stuntname"); entry;
             entry = entry->NextSiblingElement("stuntname"))
            m_Unlocked.push_back(GetElementText(entry));

    if (const TiXmlElement* scores = element->FirstChildElement("highScores"))
        for (const TiXmlElement* entry = scores->FirstChildElement("score"); entry;
             entry = entry->NextSiblingElement("score"))
        {
            auto record = std::make_unique<HighScore>();
            if (const TiXmlElement* course = entry->FirstChildElement("name"))
                record->course = GetElementText(course);
            if (const TiXmlElement* score = entry->FirstChildElement("score"))
                record->score = GetElementInt(score);
            m_HighScores.push_back(std::move(record));
        }
}

void tvPlayer::WriteXml(TiXmlElement* element) const
{
    AppendTextElement(element, "playerName", m_PlayerName);
    for (const CounterKey& key : s_Counters)
        AppendIntElement(element, key.name, this->*key.field);
    if (!m_HighScores.empty())
    {
        TiXmlElement* scores = AppendElement(element, "highScores");
        for (const std::unique_ptr<HighScore>& record : m_HighScores)
        {
            TiXmlElement* entry = AppendElement(scores, "score");
            AppendTextElement(entry, "name", record->course);
            AppendIntElement(entry, "score", record->score);
        }
    }
    if (!m_Unlocked.empty())
    {
        TiXmlElement* unlocked = AppendElement(element, "unlocked");
        for (const std::string& name : m_Unlocked)
            AppendTextElement(unlocked, "stuntname", name);
    }
}

int32_t tvPlayer::GetHighScore(const std::string& course) const
{
    for (const std::unique_ptr<HighScore>& record : m_HighScores)
        if (record->course == course)
            return record->score;
    return 0;
}

void tvPlayer::SetHighScore(const std::string& course, int32_t score)
{
    for (const std::unique_ptr<HighScore>& record : m_HighScores)
        if (record->course == course)
        {
            record->score = score;
            return;
        }
    auto record = std::make_unique<HighScore>();
    record->course = course;
    record->score = score;
    m_HighScores.push_back(std::move(record));
}

bool tvPlayer::IsUnlocked(const std::string& name) const
{
    if (name.empty())
        return true;
    for (const std::string& entry : m_Unlocked)
        if (entry == name)
            return true;
    return false;
}
