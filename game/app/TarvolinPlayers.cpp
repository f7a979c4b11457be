#include "game/app/Tarvolin.h"

#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaStringUtils.h"
#include "engine/core/kaXmlHelpers.h"
#include "game/records/GHighScores.h"
#include "game/records/tvPlayer.h"
#include "game/world/tvXmlFile.h"
#include "platform/files/Files.h"
#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <tinyxml.h>

std::string Tarvolin::_PlayerFileKey(const std::string& path)
{
    std::string key = ToLower(path);
    std::replace(key.begin(), key.end(), '\\', '/');
    return key;
}

tvPlayer* Tarvolin::CreatePlayer(const std::string& name)
{
    auto player = std::make_unique<tvPlayer>();
    if (!name.empty())
        player->SetPlayerName(name);
    m_Players.push_back(std::move(player));
    return m_Players.back().get();
}

void Tarvolin::DeletePlayer(tvPlayer* player)
{
    const auto found =
        std::find_if(m_Players.begin(), m_Players.end(),
                     [player](const std::unique_ptr<tvPlayer>& entry) { return entry.get() == player; });
    if (player == nullptr || found == m_Players.end())
        return;
    const std::string& path = player->GetFilePath();
    if (!path.empty())
    {
        platform::RemoveFile(path);
        m_PlayerFiles.erase(_PlayerFileKey(path));
    }
    if (m_CurrentPlayer == player)
        m_CurrentPlayer = nullptr;
    m_Players.erase(found);
}

bool Tarvolin::SavePlayers(const std::string& folder)
{
    std::string prefix = folder;
    if (prefix.empty() || prefix.back() != '\\')
        prefix += '\\';

    // A profile takes the next name in list order that no other file holds, or that holds a profile the game
    // read or wrote itself: a file the scan refused (a hand edit gone wrong, say) is never written over. A
    // folder in the way is no one's profile; writing there fails and says so.
    const auto isFree = [this](const std::string& path)
    {
        return m_PlayerFiles.count(_PlayerFileKey(path)) > 0 || !platform::PathExists(path) ||
               platform::IsDirectory(path);
    };

    // Every profile is written before any file goes, so that a failure or a kill part way leaves each
    // profile in at least one whole file.
    std::map<std::string, std::string> written;
    bool allSaved = true;
    uint64_t number = 0;
    for (size_t i = 0; i < m_Players.size(); ++i)
    {
        std::string path;
        do
            path = prefix + kPlayerFilePrefix + std::to_string(number++) + ".xml";
        while (!isFree(path));
        if (m_Players[i]->Save(path))
            written[_PlayerFileKey(path)] = path;
        else
            allSaved = false;
    }
    if (!allSaved)
    {
        m_PlayerFiles.insert(written.begin(), written.end());
        return false;
    }
    // Only files the game read or wrote itself are removed; a file it could not read stays for its owner.
    for (const auto& [key, path] : m_PlayerFiles)
        if (written.count(key) == 0)
            platform::RemoveFile(path);
    m_PlayerFiles = written;
    return true;
}

tvPlayer* Tarvolin::GetPlayer(int32_t index) const
{
    return index >= 0 && index < GetPlayerCount() ? m_Players[index].get() : nullptr;
}

void Tarvolin::LoadHighScores()
{
    TiXmlDocument document;
    if (!tvXmlFile::Load(document, kHighScoresFile))
        return;
    const TiXmlElement* root = document.FirstChildElement("highScores");
    if (!root)
        return;
    for (const TiXmlElement* entry = root->FirstChildElement("highScore"); entry;
         entry = entry->NextSiblingElement("highScore"))
    {
        auto record = std::make_unique<GHighScores>();
        if (const TiXmlElement* path = entry->FirstChildElement("mapPath"))
            record->mapPath = GetElementText(path);
        if (const TiXmlElement* player = entry->FirstChildElement("player"))
            record->player = GetElementText(player);
        if (const TiXmlElement* score = entry->FirstChildElement("score"))
        {
            try
            {
                record->score = GetElementInt(score);
            }
            catch (const ka::bad_lexical_cast&)
            {
                platform::DebugPrintf("[Tarvolin::LoadHighScores] : the score of %s is not a number\n",
                                      record->mapPath.c_str());
            }
        }
        m_HighScores.push_back(std::move(record));
    }
}

bool Tarvolin::SaveHighScores()
{
    if (m_HighScores.empty())
        return true;
    TiXmlDocument document;
    TiXmlElement* root = AppendElement(&document, "highScores");
    for (const std::unique_ptr<GHighScores>& record : m_HighScores)
    {
        TiXmlElement* entry = AppendElement(root, "highScore");
        AppendTextElement(entry, "mapPath", record->mapPath);
        AppendTextElement(entry, "player", record->player);
        AppendIntElement(entry, "score", record->score);
    }
    return tvXmlFile::Save(document, kHighScoresFile, "Tarvolin::SaveHighScores");
}

int32_t Tarvolin::GetHighScore(const std::string& mapPath) const
{
    for (const std::unique_ptr<GHighScores>& record : m_HighScores)
        if (record->mapPath == mapPath)
            return record->score;
    return 0;
}

std::string Tarvolin::GetHighScorePlayer(const std::string& mapPath) const
{
    for (const std::unique_ptr<GHighScores>& record : m_HighScores)
        if (record->mapPath == mapPath)
            return record->player;
    return std::string();
}

void Tarvolin::SetHighScore(const std::string& mapPath, const std::string& player, int32_t score)
{
    for (const std::unique_ptr<GHighScores>& record : m_HighScores)
        if (record->mapPath == mapPath)
        {
            record->player = player;
            record->score = score;
            return;
        }
    auto record = std::make_unique<GHighScores>();
    record->mapPath = mapPath;
    record->player = player;
    record->score = score;
    m_HighScores.push_back(std::move(record));
}
