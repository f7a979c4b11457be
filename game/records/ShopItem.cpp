#include "game/records/ShopItem.h"

#include "engine/core/kaXmlHelpers.h"
#include "game/world/tvXmlFile.h"

#include <tinyxml.h>

void ShopItem::ReadXml(const TiXmlElement* element)
{
    if (!element)
        return;
    // The price is converted first, so that a bad one leaves the whole item as it was.
    const int32_t price = GetChildElementInt("price", element);
    m_Name = GetChildElementText("name", element);
    m_PreviewImage = GetChildElementText("preview_image", element);
    m_LockedEntity = GetChildElementText("locked_entity", element);
    m_Price = price;
}

bool ShopItem::Load(const std::string& path)
{
    if (!tvXmlFile::LoadRoot(
            path, kRootElement, [this](const TiXmlElement* element) { ReadXml(element); }, "ShopItem::Load",
            "has a price that is not a number"))
        return false;
    m_FilePath = path;
    return true;
}

bool ShopItem::Save(const std::string& path)
{
    m_FilePath = path;
    return tvXmlFile::SaveRoot(
        path, kRootElement, [this](TiXmlElement* element) { WriteXml(element); }, "ShopItem::Save");
}

void ShopItem::WriteXml(TiXmlElement* element) const
{
    AppendTextElement(element, "name", m_Name);
    AppendTextElement(element, "preview_image", m_PreviewImage);
    AppendTextElement(element, "locked_entity", m_LockedEntity);
    AppendIntElement(element, "price", m_Price);
}
