#include "game/app/Tarvolin.h"

#include "engine/core/kaDirectoryIterator.h"
#include "engine/core/kaInitData.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaXmlHelpers.h"
#include "game/app/SongInfo.h"
#include "game/records/ShopItem.h"
#include "game/records/tvPlayer.h"
#include "game/world/WorldInfo.h"
#include "game/world/tvXmlFile.h"

#include <tinyxml.h>

#include <algorithm>

namespace
{

// The paths of a folder's "*.xml" entries, in listing order.
std::vector<std::string> ListXmlFiles(const std::string& folder)
{
    const std::string pattern = folder.empty() ? "*.xml" : folder + "\\*.xml";
    const std::string prefix = folder.empty() ? "" : folder + "\\";
    std::vector<std::string> paths;
    const kaDirectoryIterator end;
    for (kaDirectoryIterator it(pattern, kaDirectoryIterator::kEveryEntry); it != end;)
        paths.push_back(prefix + it.ReadNext());
    return paths;
}

} // namespace

void Tarvolin::ScanPlayers(const std::string& folder)
{
    for (const std::string& path : ListXmlFiles(folder))
    {
        auto player = std::make_unique<tvPlayer>();
        if (!player->Load(path))
            continue;
        m_PlayerFiles[_PlayerFileKey(path)] = path;
        m_Players.push_back(std::move(player));
    }
}

void Tarvolin::ScanWorlds(const std::string& folder)
{
    m_Worlds.clear();
    for (const std::string& path : ListXmlFiles(folder))
    {
        auto world = std::make_unique<WorldInfo>();
        if (world->Load(path))
            m_Worlds.push_back(std::move(world));
    }
    // No list offers a world that cannot be driven.
    m_Worlds.erase(std::remove_if(m_Worlds.begin(), m_Worlds.end(),
                                  [](const std::unique_ptr<WorldInfo>& world) { return !world->HasVenue(); }),
                   m_Worlds.end());
}

void Tarvolin::_AddSongs(const std::string& folder)
{
    for (const std::string& path : ListXmlFiles(folder))
    {
        TiXmlDocument document;
        if (!tvXmlFile::Load(document, path))
            continue;
        const TiXmlElement* song = document.FirstChildElement("song");
        const TiXmlElement* name = song ? song->FirstChildElement("name") : nullptr;
        if (!name)
            continue;
        auto info = std::make_unique<SongInfo>();
        info->name = GetElementText(name);
        info->path = path;
        m_Songs.push_back(std::move(info));
    }
}

void Tarvolin::ScanMusic(const std::string& folder)
{
    m_Songs.clear();
    _AddSongs(folder);
    const std::string prefix = folder.empty() ? "" : folder + "\\";
    const kaDirectoryIterator end;
    for (kaDirectoryIterator it(prefix + "*", kaDirectoryIterator::kDirectoriesOnly); it != end;)
    {
        const std::string name = it.ReadNext();
        if (name != "." && name != "..")
            _AddSongs(prefix + name);
    }
}

void Tarvolin::LoadCareerLevels()
{
    const kaInitData* record =
        g_pInitDataBase ? g_pInitDataBase->Find(kCareerLevelsRecord, kCareerLevelsRecord) : nullptr;
    if (!record || !record->GetData())
        return;
    for (const TiXmlElement* level = record->GetData()->FirstChildElement("Level"); level;
         level = level->NextSiblingElement("Level"))
        m_CareerLevels.push_back(GetElementText(level));
}

WorldInfo* Tarvolin::GetWorldInfo(int32_t index) const
{
    return index >= 0 && index < GetWorldCount() ? m_Worlds[index].get() : nullptr;
}

const SongInfo* Tarvolin::GetSong(int32_t index) const
{
    return index >= 0 && index < GetSongCount() ? m_Songs[index].get() : nullptr;
}

std::string Tarvolin::GetCareerLevel(int32_t index) const
{
    return index >= 0 && index < GetCareerLevelCount() ? m_CareerLevels[index] : std::string();
}
