#pragma once

#include <cstdint>
#include <string>

class TiXmlElement;

// An item of the stunt shop: what it unlocks and what it costs in reputation points.
class ShopItem
{
public:
    static constexpr const char* kDefaultName = "Unnamed";
    static constexpr int32_t kDefaultPrice = 10;
    static constexpr const char* kRootElement = "ShopItem";

    virtual ~ShopItem() = default;

    // Sets every field: a missing text gives "" and a missing price 0.
    virtual void ReadXml(const TiXmlElement* element);
    // False when the file cannot be read as XML (a bad price included) and then changes nothing.
    virtual bool Load(const std::string& path);
    // Remembers the path; false when the file could not be written.
    virtual bool Save(const std::string& path);
    virtual void WriteXml(TiXmlElement* element) const;

    std::string GetLockedEntity() const { return m_LockedEntity; }
    const std::string& GetName() const { return m_Name; }
    const std::string& GetPreviewImage() const { return m_PreviewImage; }
    const std::string& GetFilePath() const { return m_FilePath; }
    int32_t GetPrice() const { return m_Price; }

    void SetName(const std::string& name) { m_Name = name; }
    void SetPreviewImage(const std::string& image) { m_PreviewImage = image; }
    void SetLockedEntity(const std::string& entity) { m_LockedEntity = entity; }
    void SetPrice(int32_t price) { m_Price = price; }

private:
    std::string m_Name = kDefaultName;
    std::string m_PreviewImage;
    std::string m_LockedEntity;
    std::string m_FilePath;
    int32_t m_Price = kDefaultPrice;
};
