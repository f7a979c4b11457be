#pragma once

#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaClock.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/model/kaModelManager.h"
#include "game/app/Tarvolin.h"
#include "game/world/tvWorld.h"
#include "platform/audio/NullAudioSink.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace gametest
{

// The generated content as the working folder, with what a course load needs around an empty course world:
// a graphics manager on the test device, the file system, the model manager, a silent sound manager and its
// wizard, the application and the init-data records. The program that includes it defines
// TARVOLIN_CONTENT_DIR.
class ContentWorldFixture : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(nullptr));
        ASSERT_TRUE(m_Sound.Init(nullptr));
        m_Wizard.Init(&m_Sound, false);
        ASSERT_TRUE(m_Data.LoadInitData("InitData"));
    }

    void TearDown() override
    {
        m_World.Clear();
        m_Models.DeleteAll();
        _ResetClockState();
    }

    // A course file read into the world and its entities initialised, as the course start does.
    void LoadCourse(const std::string& file, bool restoreStates)
    {
        m_World.LoadFile(file, restoreStates);
        m_World.InitializeEntities();
    }

    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    kaFileSystem m_Files;
    kaModelManager m_Models;
    platform::NullAudioSink m_Sink;
    SoundManager m_Sound;
    Wizard m_Wizard;
    Tarvolin m_App;
    kaInitDataBase m_Data;
    tvWorld m_World;
};

} // namespace gametest
