#pragma once

#include "engine/scene/kaEntity.h"

#include <string>

class TiXmlElement;

// A vehicle the player can pick: the init-data record that builds it and the picture that shows it.
class CarInfo : public kaEntity
{
public:
    static constexpr const char* kDefaultText = "Unnamed";
    static constexpr const char* kRootElement = "vehicles";

    CarInfo();
    ~CarInfo() override;

    // False when the file cannot be read as XML; a file without the root still counts as loaded.
    virtual bool Load(const std::string& path);
    // The vehicle file's own keys only; fields the element lacks keep their values.
    void ReadXml(const TiXmlElement* element) override;

    const std::string& GetInitId() const { return m_InitId; }
    const std::string& GetImageFile() const { return m_ImageFile; }
    const std::string& GetFilePath() const { return m_FilePath; }

private:
    std::string m_InitId = kDefaultText;
    std::string m_ImageFile = kDefaultText;
    std::string m_FilePath;
};
