#include "tools/worldtool/WorldTool.h"

#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaGraphicsSettings.h"
#include "engine/render/kaLight.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaWorld.h"
#include "game/app/Tarvolin.h"
#include "platform/gfx/Direct3DFactory.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/TestDevice.h"
#include "platform/gfx/TestDirect3D.h"
#include "platform/registry/Registry.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "platform/window/Window.h"

#include <unistd.h>

#include <tinyxml.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <ostream>
#include <vector>

namespace fs = std::filesystem;

namespace
{

std::string Absolute(const std::string& path)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute.string();
}

bool IsWorldsFolder(const fs::path& folder)
{
    std::string name = folder.filename().string();
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name == "worlds";
}

bool HoldsInitData(const fs::path& folder)
{
    std::error_code error;
    return !folder.empty() && fs::is_directory(folder / "InitData", error);
}

// The install folder the registry names, as the game finds its own; empty when it names none.
fs::path RegisteredInstall()
{
    std::string folder;
    if (!platform::QueryRegistryString(Tarvolin::kRegistryKey, Tarvolin::kFullInstallPathValue, folder))
        return fs::path();
    return fs::path(folder.substr(0, folder.find('\0')));
}

// The install folder of a course file: above "Worlds", where the course lies in it or in one of its
// folders (the editor's worlds lie in "Worlds/Editor"); else the current folder when it holds init data,
// else the one the registry names when it does; else the current folder.
fs::path InstallFolder(const std::string& file)
{
    const fs::path folder = fs::path(Absolute(file)).parent_path();
    if (IsWorldsFolder(folder))
        return folder.parent_path();
    if (IsWorldsFolder(folder.parent_path()))
        return folder.parent_path().parent_path();
    if (HoldsInitData(fs::current_path()))
        return fs::current_path();
    const fs::path registered = RegisteredInstall();
    return HoldsInitData(registered) ? registered : fs::current_path();
}

// The graphics device, offscreen: a window with no native window behind it, so that no display is
// needed. Models build their meshes on it. In memory it is the CPU device with its call log off: meshes
// and textures are built as for drawing, but no OpenGL starts; counting needs no font or texture.
class Graphics
{
public:
    Graphics(bool inMemory, bool countsOnly)
    {
        if (inMemory)
        {
            m_Memory = new platform::TestDirect3D;
            m_Previous = platform::SetDirect3DFactory(
                [this]() -> platform::GfxDirect3D*
                {
                    m_Memory->AddRef();
                    return m_Memory;
                });
        }
        setenv("TARVOLIN_GFX_HEADLESS", "1", 1);
        std::string config;
        // In memory the settings are given directly: no configuration file is read, or saved at the end.
        if (!inMemory)
        {
            m_Scratch = fs::temp_directory_path() / ("worldtool-" + std::to_string(getpid()));
            std::error_code error;
            fs::create_directories(m_Scratch, error);
            config = (m_Scratch / "Tarvolin.cfg").string();
            std::ofstream text(config);
            text << "[Begin Graphics Config]\nFullScreen=0\nFSDisplayWidth=" << WorldTool::kWidth
                 << "\nFSDisplayHeight=" << WorldTool::kHeight
                 << "\nBitsPerPixel=32\nEnableDepthStencil=1\n[End Graphics Config]\n";
        }
        kaGraphicsSettings settings;
        settings.displayWidth = settings.screenWidth = WorldTool::kWidth;
        settings.displayHeight = settings.screenHeight = WorldTool::kHeight;
        settings.bitsPerPixel = 32;
        platform::WindowClass windowClass;
        windowClass.procedure = &platform::DefWindowProc;
        windowClass.className = "worldtool";
        platform::RegisterClass(windowClass);
        m_Window = platform::CreateWindow(0, "worldtool", "worldtool", 0, 0, 0, WorldTool::kWidth,
                                          WorldTool::kHeight, nullptr, nullptr);
        m_Manager = std::make_unique<kaGraphicsManager>();
        // Counting what a course holds draws nothing: neither the system font (its face looked for among
        // the system's fonts, its glyphs rendered) nor the models' textures are loaded.
        m_Manager->SetSkipSystemFont(countsOnly);
        m_Manager->SetSkipTextureFiles(countsOnly);
        m_Started = (inMemory ? m_Manager->Initialize(m_Window, nullptr, &settings, false)
                              : m_Manager->Initialize(m_Window, config.c_str(), nullptr, false)) &&
                    m_Manager->GetDevice();
        if (m_Memory && m_Memory->LastDevice())
            m_Memory->LastDevice()->SetLogging(false);
        // As the game starts: no graphics folder, so texture names are found through the search folders
        // (a model's "maps").
        if (m_Started)
            m_Manager->SetGraphicsPath("");
    }
    ~Graphics()
    {
        m_Manager.reset();
        platform::DestroyWindow(m_Window);
        if (m_Memory)
        {
            platform::SetDirect3DFactory(m_Previous);
            m_Memory->Release();
        }
        std::error_code error;
        if (!m_Scratch.empty())
            fs::remove_all(m_Scratch, error);
    }
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    bool IsStarted() const { return m_Started; }
    kaGraphicsManager& Manager() { return *m_Manager; }
    platform::WindowHandle Window() const { return m_Window; }

private:
    platform::ScriptedWindowBackend m_Backend;
    platform::TestDirect3D* m_Memory = nullptr;
    platform::Direct3DFactory m_Previous;
    fs::path m_Scratch;
    platform::WindowHandle m_Window = nullptr;
    std::unique_ptr<kaGraphicsManager> m_Manager;
    bool m_Started = false;
};

// The engine's services a course needs, run from its install folder; the world is loaded on request. Only
// drawing starts OpenGL: otherwise the models build on the device in memory.
class Session
{
public:
    Session(const std::string& file, bool drawing, bool countsOnly = false)
        : m_Graphics(!drawing, countsOnly), m_Given(file), m_File(Absolute(file)),
          m_Previous(fs::current_path())
    {
        std::error_code error;
        const fs::path install = InstallFolder(file);
        fs::current_path(install, error);
        m_FoundInstall = HoldsInitData(install);
        m_InitData.LoadInitData("InitData");
    }
    ~Session()
    {
        m_World.reset();
        m_Models.DeleteAll();
        std::error_code error;
        fs::current_path(m_Previous, error);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // False, with a line, when the file is not a readable course.
    bool Load(std::ostream& errors)
    {
        if (!m_Graphics.IsStarted())
        {
            errors << "worldtool: the graphics device could not be started\n";
            return false;
        }
        // The editors' rule: only a regular file of a course's size, read whole.
        TiXmlDocument document;
        std::string why;
        if (!kaWorld::ReadFile(m_File, document, why))
        {
            errors << "worldtool: " << m_Given << " is not a readable course: " << why << "\n";
            return false;
        }
        if (!m_FoundInstall)
            errors << "worldtool: no install folder found for " << m_Given
                   << " (none holds InitData above its Worlds folder, in the current folder or where the "
                      "registry points): no venue loads, and each course keeps the one it names\n";
        const TiXmlElement* root = document.FirstChildElement(kaWorld::kRootElement);
        const std::string unknown = _UnknownClass(root);
        if (!unknown.empty())
        {
            errors << "worldtool: " << m_Given << " names the entity class \"" << unknown
                   << "\", which worldtool does not know\n";
            return false;
        }
        m_World = std::make_unique<kaWorld>();
        m_World->ReadXml(root, true);
        m_HasStates = root->FirstChildElement("EntitiesStates") != nullptr;
        _FindLeftOut(root);
        return true;
    }
    // The entity blocks of the file that the world left out, each named as the world names it (type,
    // name, and its id or its place in the file); empty when every block made its entity.
    const std::vector<std::string>& LeftOut() const { return m_LeftOut; }
    // How many entity blocks the file holds, and how many of them the world kept.
    int BlockCount() const { return m_Blocks; }
    int KeptCount() const { return m_Kept; }
    bool LostEntities() const { return !m_LeftOut.empty() || m_Kept < m_Blocks; }
    kaWorld& World() { return *m_World; }
    // The course kept entity states (links between entities, for one), which a resave keeps too.
    bool HasStates() const { return m_HasStates; }
    Graphics& Gfx() { return m_Graphics; }

private:
    Graphics m_Graphics;
    std::string m_Given;
    std::string m_File;
    fs::path m_Previous;
    kaFileSystem m_Files;
    kaInitDataBase m_InitData;
    kaModelManager m_Models;
    std::unique_ptr<kaWorld> m_World;
    bool m_HasStates = false;
    bool m_FoundInstall = false;
    std::vector<std::string> m_LeftOut;
    int m_Blocks = 0;
    int m_Kept = 0;

    static std::string _UnknownClass(const TiXmlElement* root)
    {
        const TiXmlElement* entities = root->FirstChildElement("Entities");
        for (const TiXmlElement* block = entities ? entities->FirstChildElement("Entity") : nullptr; block;
             block = block->NextSiblingElement("Entity"))
        {
            const std::string type = GetChildElementText("type", block);
            if (EntityFactory::Instance().count(type) == 0)
                return type;
        }
        return "";
    }

    // Counted, not looked up by id: a block whose id repeats another's, or reads as a number only in
    // part ("3abc"), would find the other entity and pass for kept.
    void _FindLeftOut(const TiXmlElement* root)
    {
        const TiXmlElement* entities = root->FirstChildElement("Entities");
        for (const TiXmlElement* block = entities ? entities->FirstChildElement("Entity") : nullptr; block;
             block = block->NextSiblingElement("Entity"))
            ++m_Blocks;
        // Entities the file's entities make for themselves (a joint's parts, an emitter) are not saved,
        // nor is the venue: every saved entity came from a block.
        for (const kaEntity* entity : m_World->GetEntities())
            m_Kept += entity->IsSaved() ? 1 : 0;
        for (const kaWorld::MalformedValue& value : m_World->GetMalformedValues())
            if (value.dropped)
                m_LeftOut.push_back(value.entity);
    }
};

} // namespace

int WorldTool::Info(const std::string& file, std::ostream& out, std::ostream& errors)
{
    Session session(file, false, true);
    if (!session.Load(errors))
        return 1;
    kaWorld& world = session.World();
    std::map<std::string, int> counts;
    int total = 0;
    for (kaEntity* entity : world.GetEntities())
    {
        if (entity == world.GetVenueEntity())
            continue;
        ++counts[entity->GetClassName()];
        ++total;
    }
    out << "name: " << world.GetName() << "\n";
    out << "venue: " << (world.GetVenueName().empty() ? "(none)" : world.GetVenueName()) << "\n";
    out << "entities: " << total << "\n";
    for (const auto& [type, count] : counts)
        out << "  " << type << ": " << count << "\n";
    return 0;
}

int WorldTool::Resave(const std::string& in, const std::string& out, std::ostream& errors)
{
    const std::string target = Absolute(out);
    Session session(in, false);
    if (!session.Load(errors))
        return 1;
    // A resave that lost an entity would look like a good one: nothing is written instead.
    if (session.LostEntities())
    {
        for (const std::string& entity : session.LeftOut())
            errors << "worldtool: entity " << entity << " of " << in << " could not be read\n";
        if (session.LeftOut().empty())
            errors << "worldtool: " << session.BlockCount() - session.KeptCount() << " of "
                   << session.BlockCount() << " entities of " << in << " could not be read\n";
        errors << "worldtool: nothing written\n";
        return 1;
    }
    if (!session.World().SaveFile(target, session.HasStates()))
    {
        errors << "worldtool: " << out << " could not be written\n";
        return 1;
    }
    return 0;
}

int WorldTool::Render(const std::string& file, const std::string& bitmap, std::ostream& errors)
{
    const std::string target = Absolute(bitmap);
    Session session(file, true);
    if (!session.Load(errors))
        return 1;
    kaWorld& world = session.World();
    kaGraphicsManager& graphics = session.Gfx().Manager();
    world.InitializeEntities();
    kaCamera* camera = world.GetOwnCamera();
    // Facing the start rotation's forward direction.
    const platform::Quaternion& q = world.GetStartRotation();
    const float forwardX = 2.0f * (q.x * q.z + q.w * q.y);
    const float forwardZ = 1.0f - 2.0f * (q.x * q.x + q.y * q.y);
    camera->SetAspect(static_cast<float>(kWidth) / static_cast<float>(kHeight));
    camera->SetPosition(world.GetStartX(),
                        world.GetGroundHeight(world.GetStartX(), world.GetStartZ()) + kEyeHeight,
                        world.GetStartZ());
    camera->SetRotationAngles(kPitch, std::atan2(forwardX, forwardZ), 0.0f);
    camera->Rotate();
    camera->UpdateProjection();
    // Until a course brings its sun, a light from above and behind the eye.
    const kaLight light(3, 0.0f, 0.0f, 0.0f, 0.3f, -1.0f, 0.6f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f,
                        0.0f, 0.35f, 0.35f, 0.35f, 1.0f);
    graphics.SetAmbientColor(0.35f, 0.35f, 0.35f, 1.0f);
    graphics.AddSceneObject(&world, false);
    graphics.Render(false, false);
    graphics.DetachSceneObject(&world);
    // Saved beside the target and renamed over it, so that a failure leaves no half file.
    const std::string base = target + ".part" + std::to_string(getpid());
    std::error_code error;
    if (graphics.SaveScreenshot(session.Gfx().Window(), base))
    {
        fs::rename(base + ".bmp", target, error);
        if (!error)
            return 0;
    }
    errors << "worldtool: " << bitmap << " could not be written\n";
    return 1;
}
