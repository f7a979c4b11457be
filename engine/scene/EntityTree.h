#pragma once

#include "engine/model/kaBoundingBox.h"
#include "engine/scene/kaEntity.h"

#include "platform/gfx/math/Vector3.h"

#include <string>

class kaBillboard;

// Light scenery: one textured billboard standing on the ground, drawn through the world's alpha sorter,
// with a box of its own over the billboard's corners for culling and picking.
class EntityTree : public kaEntity
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr const char* kName = "EntityTree";

    EntityTree();
    // Takes the billboard out of the world's alpha sorter and lets it go.
    ~EntityTree() override;

    // The base keys, "filename", "scale" and "position" ("x" and "z"; the height is the ground's); the
    // billboard is made and placed. A position beyond the placement bound is a malformed value.
    void ReadXml(const TiXmlElement* element) override;
    // The base keys and, with a billboard, "filename", "scale" and "position" without "y"; a value kept as
    // read is written so, the position until the tree is moved.
    void WriteXml(TiXmlElement* element) const override;
    // The billboard's quad, the only mesh.
    kaMesh* GetNextMesh(bool& more) override;
    kaBoundingBox* GetBoundingBox() override;

    virtual void SetPosition(const platform::Vector3& position);
    // Replaces the billboard; only in a world, whose alpha sorter draws it.
    void CreateBillboard(const std::string& textureName, float scale);
    // The box over the billboard's four corners as last built.
    void UpdateBounds();

    kaBillboard* GetBillboard() const { return m_pBillboard; }

private:
    void _ReleaseBillboard();

    kaBillboard* m_pBillboard = nullptr;
    kaBoundingBox m_Bounds;
    // Where the tree stood after a read that kept its position as read.
    platform::Vector3 m_PositionAsRead{0.0f, 0.0f, 0.0f};
};
