#pragma once

#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/model/kaModelManager.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaWorld.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include "platform/gfx/math/Vector3.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <memory>
#include <string>

// A world on the recording device, the generated sample models and a set of init-data records: what the
// entities carried by model entities need.
class SceneModelFixture : public GraphicsManagerFixture
{
protected:
    static constexpr const char* kRider = "resources/models/motorcycle/rider.xml";
    static constexpr const char* kBike = "resources/models/motorcycle/motorcycle.xml";
    static constexpr const char* kCrate = "resources/models/crate/crate.kmf";

    // records: the inner text of the init-data file's root.
    void StartWith(const std::string& records)
    {
        ASSERT_TRUE(Start(nullptr));
        m_Data.Write("InitData/records.xml", "<?xml version=\"1.0\"?><root>" + records + "</root>");
        m_Base.LoadInitData(m_Data.File("InitData"));
    }

    void TearDown() override
    {
        m_World.reset();
        m_Models.DeleteAll();
    }

    static void Read(kaEntity& entity, const std::string& xml)
    {
        TiXmlDocument document;
        document.Parse(("<Entity>" + xml + "</Entity>").c_str());
        ASSERT_NE(document.RootElement(), nullptr) << xml;
        entity.ReadXml(document.RootElement());
    }

    // An entity of that class read from XML in the world, as the world file reader adds it.
    template <typename Entity = kaEntityModel> Entity* Make(const std::string& xml)
    {
        auto* entity = new Entity;
        entity->SetWorld(m_World.get());
        Read(*entity, xml);
        EXPECT_TRUE(m_World->AddEntity(entity, true, true));
        return entity;
    }

    static std::string File(const std::string& name) { return "<kmfFilename>" + name + "</kmfFilename>"; }

    static void ExpectNear(const platform::Vector3& actual, const platform::Vector3& expected)
    {
        EXPECT_NEAR(actual.x, expected.x, 1e-4f);
        EXPECT_NEAR(actual.y, expected.y, 1e-4f);
        EXPECT_NEAR(actual.z, expected.z, 1e-4f);
    }

    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    testsupport::TempDir m_Data;
    kaInitDataBase m_Base;
    kaFileSystem m_Files;
    kaModelManager m_Models;
    testsupport::DebugCapture m_Debug;
    std::unique_ptr<kaWorld> m_World = std::make_unique<kaWorld>();
};
