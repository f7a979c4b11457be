#pragma once

#include <string>

// A song of the music folders: its name and the song list file that plays it.
struct SongInfo
{
    std::string name;
    std::string path;
};
