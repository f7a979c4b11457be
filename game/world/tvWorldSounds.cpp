#include "game/world/tvWorldSounds.h"

#include "engine/core/Wizard.h"
#include "engine/core/kaClock.h"
#include "engine/core/kaRandom.h"
#include "engine/core/kaXmlHelpers.h"
#include "game/app/SoundCategory.h"
#include "game/world/tvXmlFile.h"

#include <tinyxml.h>

tvWorldSounds::tvWorldSounds() = default;

tvWorldSounds::~tvWorldSounds() = default;

const SoundCategory* tvWorldSounds::GetCategory(size_t index) const
{
    return index < m_Categories.size() ? m_Categories[index].get() : nullptr;
}

void tvWorldSounds::ReadXml(const TiXmlElement* element)
{
    if (!element)
        return;
    // The first "category" and every element after it is a category; in each, the first "path" and every
    // element after it is a file.
    for (const TiXmlElement* node = element->FirstChildElement("category"); node;
         node = node->NextSiblingElement())
    {
        auto category = std::make_unique<SoundCategory>(GetElementText(node->FirstChildElement("name")));
        for (const TiXmlElement* path = node->FirstChildElement("path"); path;
             path = path->NextSiblingElement())
        {
            const std::string file = GetElementText(path);
            category->AddSound(g_pWizard ? g_pWizard->LoadSound(file, true, false, 0.0f, 0.0f, 0.0f,
                                                                kMaxDistance, kMinDistance)
                                         : kaSoundHandle());
        }
        m_Categories.push_back(std::move(category));
    }
}

bool tvWorldSounds::Load(const std::string& path)
{
    TiXmlDocument document;
    if (!tvXmlFile::Load(document, path))
        return false;
    const TiXmlElement* root = document.FirstChildElement("soundList");
    if (!root)
        return false;
    ReadXml(root);
    m_Path = path;
    return true;
}

void tvWorldSounds::PlaySound(const std::string& name)
{
    if (!g_pWizard || g_pWizard->AreImpactSoundsDisabled())
        return;
    m_LastPlayTime = static_cast<float>(GetTime(4));
    for (const auto& category : m_Categories)
    {
        if (category->GetName() != name)
            continue;
        const std::vector<kaSoundHandle>& sounds = category->GetSounds();
        const int index = RandomInt(static_cast<int>(sounds.size()));
        if (index >= 0 && static_cast<size_t>(index) < sounds.size())
            g_pWizard->PlaySound(sounds[static_cast<size_t>(index)], false, GetSoundVolume());
    }
}
