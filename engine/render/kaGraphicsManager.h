#pragma once

#include "engine/core/kaCountedPtr.h"
#include "engine/render/kaBufferPool.h"
#include "engine/render/kaDebugPrimitive.h"
#include "engine/render/kaDeviceEnumeration.h"
#include "engine/render/kaDisplayMode.h"
#include "engine/render/kaDrawRecord.h"
#include "engine/render/kaGraphicsSettings.h"
#include "engine/render/kaPoolKeyCounter.h"
#include "engine/render/kaPoolRoomIndex.h"
#include "engine/render/kaQueuedMeshDraw.h"
#include "engine/render/kaResourceHandle.h"
#include "engine/render/kaStateCache.h"

#include "platform/files/FileBytes.h"
#include "platform/gfx/GfxTypes.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Plane.h"
#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform
{
class GfxBaseTexture;
class GfxDevice;
class GfxDirect3D;
class GfxVertexBuffer;
struct WindowObject;
using WindowHandle = WindowObject*;
} // namespace platform

class ka3DObject;
class kaBufferPool;
class kaCamera;
class kaEffect;
class kaFont;
class kaImage;
class kaIndexBuffer;
class kaLight;
class kaTexture;
class kaTextureAtlas;
class kaVertexBuffer;

// Owns the device and every device resource. Starts the device from the graphics section of the
// configuration file, keeps the states last sent to the device, and hands out runs of vertices and
// indices by handle. Its destructor writes the graphics section back.
class kaGraphicsManager
{
public:
    static constexpr uint32_t kWindowedStyle = 0x10C20000;
    static constexpr uint32_t kFullScreenStyle = 0x10000000;
    static constexpr uint32_t kDefaultWidth = 800;
    static constexpr uint32_t kDefaultHeight = 600;
    static constexpr uint32_t kMinModeWidth = 640;
    static constexpr uint32_t kMinModeHeight = 400;
    static constexpr uint32_t kMaxAdapters = 10;
    static constexpr uint32_t kMaxWorkModes = 100;
    static constexpr uint32_t kMaxWorkFormats = 20;
    static constexpr uint32_t kMinDepthBits = 8;
    static constexpr uint32_t kMinStencilBits = 0;
    static constexpr uint32_t kSharedBufferBytes = 65536;
    static constexpr uint32_t kMeshStreamFVF = 0x152;
    static constexpr uint32_t kLineFVF = 0x42;
    static constexpr uint32_t kDeviceVertexBufferBytes = 129536;
    static constexpr uint32_t kBytesPerMaxVertex = 132;
    static constexpr uint32_t kMaxIndexBufferBytes = 131072;
    static constexpr uint32_t kUnlimitedLights = 0xFFFFFFFF;
    static constexpr uint32_t kDefaultMaxLights = 64;
    static constexpr uint32_t kPoolBytes = 65536;
    static constexpr uint32_t kIndexPoolCapacity = 32768;
    static constexpr uint32_t kCircleSteps = 17;
    // Opaque dark grey until the application sets its own.
    static constexpr platform::GfxColor kDefaultClearColor = 0xFF333333;
    static constexpr float kCircleStep = 0.39269906f;
    static constexpr int32_t kNoUsableAdapter = static_cast<int32_t>(0x82000003u);
    static constexpr int32_t kDeviceStillReferenced = static_cast<int32_t>(0x8200000Au);

    static constexpr const char* kBeginGraphics = "[Begin Graphics Config]\n";
    static constexpr const char* kEndGraphics = "[End Graphics Config]\n";
    static constexpr const char* kBeginFonts = "[Begin Font Config]\n";
    static constexpr const char* kEndFonts = "[End Font Config]\n";

    kaGraphicsManager();
    virtual ~kaGraphicsManager();
    kaGraphicsManager(const kaGraphicsManager&) = delete;
    kaGraphicsManager& operator=(const kaGraphicsManager&) = delete;

    // False only when the device interface cannot be made; without a usable device the manager still
    // runs and every device operation does nothing.
    bool Initialize(platform::WindowHandle window, const char* configFile, const kaGraphicsSettings* settings,
                    bool forceFullScreen);

    platform::GfxResult BuildDeviceList();
    platform::GfxResult ChooseBackBufferFormat();
    bool IsDeviceTypeSupported(uint32_t adapter, uint32_t displayFormat, uint32_t backBufferFormat,
                               bool windowed) const;
    bool FindDepthStencilFormat(uint32_t adapter, uint32_t deviceType, uint32_t targetFormat,
                                uint32_t& format) const;
    platform::GfxResult CreateDevice(platform::WindowHandle window);
    // The default device state and the shared buffers; run again after every reset.
    void ReportDeviceCaps(platform::WindowHandle window, const kaGraphicsSettings* settings);
    void CreateDynamicBuffers();
    void CreateLineBuffer();
    virtual platform::GfxResult ConfirmDevice(const platform::GfxCaps& caps, uint32_t behavior,
                                              uint32_t format);
    // Releases every device object, then the device and the device interface.
    void ReleaseAll();

    // The graphics and font sections of the configuration file.
    void ReadGraphicsConfig(const std::string& line);
    bool ReadGraphicsConfigFile(const char* fileName);
    void ReadFontConfig(const char* fileName);
    bool WriteGraphicsConfig(const char* fileName);
    // The graphics section as it is written.
    std::string FormatGraphicsConfig() const;

    // Fonts by name. An outline font (face name or path, pixel size) or a font data file is made,
    // its glyph page numbered in the texture table and the font entered under the name; a name already
    // taken returns the font it names. LoadFont needs both a file and a name.
    static constexpr const char* kSystemFont = "System";
    static constexpr const char* kSystemFace = "Arial";
    static constexpr uint32_t kSystemFontSize = 16;
    kaFont* LoadFontFile(const std::string& file, uint32_t pixelSize, const std::string& name);
    kaFont* LoadFont(const std::string& file, const std::string& name);
    // A name not in the table falls back to "System".
    kaFont* GetFont(const std::string& name) const;
    kaTexture* GetFontTexture(const std::string& name) const;
    bool GetGlyphMetrics(const std::string& name, char character, float& left, float& top, float& right,
                         float& bottom, float& width, float& height, int32_t& advance, int32_t& bearingX,
                         int32_t& bearingY) const;
    // Drops the table's reference on every font and empties it.
    void ReleaseAllFonts();
    const std::map<std::string, kaFont*>& GetFonts() const { return m_Fonts; }

    // Cached state setters: a value already in force makes no device call. False without a device.
    bool SetRenderState(uint32_t state, uint32_t value);
    bool SetTextureStageState(uint32_t stage, uint32_t state, uint32_t value);
    bool SetSamplerState(uint32_t sampler, uint32_t state, uint32_t value);
    void SetTexture(uint32_t stage, platform::GfxBaseTexture* texture);
    // A texture about to be destroyed leaves the cache, so that a new one made at its address is still set.
    void ForgetTexture(const platform::GfxBaseTexture* texture);
    void SetFVF(uint32_t fvf);
    void SetZBufferEnable(bool enable);
    void SetMaterial(const platform::Material& material);
    void SetAmbientColor(float red, float green, float blue, float alpha);
    void ResetStateCache();
    // Grows whenever a state, texture or material change reaches the device through the setters above
    // and when the cache is reset: a caller that set the device up can tell that nothing changed since.
    // Counted across managers, so that a count seen under one never matches under the next.
    static uint64_t GetStateChanges() { return s_StateChanges; }
    static platform::GfxColor ToColor(float red, float green, float blue, float alpha);

    // A batch streamed through the second shared vertex and index buffers: Begin locks room for the
    // vertices and triangles and sets the world transform, Write fills the locked runs, Draw unlocks and
    // draws, End lets the next batch start the buffers afresh.
    bool BeginSharedBatch(uint32_t vertexCount, uint32_t triangleCount, const platform::Matrix* world,
                          uint32_t vertexLockFlags, uint32_t indexLockFlags);
    // Vertices from start on, each from three position, three normal, four colour and two texture-coordinate
    // floats; three indices per triangle from the start of the locked index run. Nothing past the runs.
    void WriteSharedBatch(uint32_t start, uint32_t vertexCount, const float* positions, const float* normals,
                          const float* colors, const float* texCoords, const uint16_t* indices,
                          uint32_t triangleCount);
    void DrawSharedBatch(uint32_t baseVertex, uint32_t vertexCount, uint32_t startIndex,
                         uint32_t triangleCount);
    void EndSharedBatch();

    bool IsTextureFormatSupported(uint32_t format) const;
    bool AreCompressedTexturesSupported() const;
    uint32_t ChooseTextureFormat(uint32_t bitsPerTexel, uint32_t alphaBits) const;

    // Runs of vertices and indices by handle. A failed request returns handle 0, whose slot is never
    // handed out. Unknown handles are no-ops with a debugger line. Lock flags go to the device: a static
    // run locked with LOCK_DISCARD must then be written whole, as it is not cleared first.
    kaResourceHandle CreateVertexBuffer(kaResourceHandle& handle, uint32_t count, uint32_t fvf,
                                        uint32_t pool);
    kaResourceHandle CreateIndexBuffer(kaResourceHandle& handle, uint32_t count, uint32_t pool);
    bool AddRefVertexBuffer(kaResourceHandle handle);
    // The number of runs the handle's pool still holds; 0 once the pool is gone.
    uint32_t ReleaseVertexBuffer(kaResourceHandle handle);
    void* LockVertexBuffer(kaResourceHandle handle, uint32_t flags = 0);
    void UnlockVertexBuffer(kaResourceHandle handle);
    kaVertexBuffer* BeginVertexWrite(kaResourceHandle handle);
    void EndVertexWrite(kaResourceHandle handle);
    kaVertexBuffer* GetVertexBuffer(kaResourceHandle handle) const;
    uint32_t GetVertexStride(kaResourceHandle handle) const;
    uint32_t GetVertexFVF(kaResourceHandle handle) const;
    uint32_t GetVertexBufferStart(kaResourceHandle handle) const;
    bool AddRefIndexBuffer(kaResourceHandle handle);
    uint32_t ReleaseIndexBuffer(kaResourceHandle handle);
    void* LockIndexBuffer(kaResourceHandle handle, uint32_t flags = 0);
    void UnlockIndexBuffer(kaResourceHandle handle);
    kaIndexBuffer* BeginIndexWrite(kaResourceHandle handle);
    void EndIndexWrite(kaResourceHandle handle);
    kaIndexBuffer* GetIndexBuffer(kaResourceHandle handle) const;
    uint32_t GetIndexSize(kaResourceHandle handle) const;
    uint32_t GetIndexBufferStart(kaResourceHandle handle) const;
    // Asks the cache for the run records a draw of these two handles looks up; unknown handles are
    // passed over in silence, as the draw itself reports them.
    void PrefetchRuns(kaResourceHandle vertices, kaResourceHandle indices) const;
    // Destroys the pools whose buffers live in the default memory pool; their handles become invalid.
    void ReleaseDefaultPoolBuffers();

    // Textures and effects shared by name; the tables hold one reference each and number from 1.
    // option: the texture kind when loading (0 or 1 a 2D texture), the usage when creating.
    kaTexture* LoadTexture(const std::string& name, bool withoutMips, uint32_t option);
    kaTexture* CreateTexture(uint32_t width, uint32_t height, uint32_t option);
    bool ReleaseTexture(kaTexture* texture);
    kaEffect* LoadEffect(const std::string& name);
    const std::map<uint32_t, kaEffect*>& GetEffects() const { return m_Effects; }
    const std::map<uint32_t, kaTexture*>& GetTextures() const { return m_Textures; }
    kaTextureAtlas& GetTextureAtlas() { return *m_Atlas; }
    // Decoded BMP and TGA images by file name as asked; null when the file cannot be read.
    const kaImage* FindOrLoadImageStream(const std::string& fileName);
    void ClearImageCache();

    // Texture file names are looked up under this folder; an empty path stays empty.
    void SetGraphicsPath(const std::string& path);
    const std::string& GetGraphicsPath() const { return m_GraphicsPath; }

    platform::GfxDevice* GetDevice() const { return m_pDevice; }
    platform::GfxDirect3D* GetDirect3D() const { return m_pD3D; }
    void GetDisplayModeSize(uint32_t& width, uint32_t& height) const;
    uint32_t GetTriangleCount() const { return m_TriangleCounts[0] + m_TriangleCounts[1]; }
    // Triangles drawn outside the manager's own passes count towards the frame too.
    void AddTriangleCount(uint32_t triangles) { m_TriangleCounts[0] += triangles; }

    // Shutdown calls this to empty the model manager, which lives in a library built on this one.
    using ShutdownHook = void (*)();
    static void SetModelShutdownHook(ShutdownHook hook);

    // Settings.
    bool IsFullScreen() const { return m_FullScreen; }
    uint32_t GetBitsPerPixel() const { return m_BitsPerPixel; }
    uint32_t GetDisplayWidth() const { return m_DisplayWidth; }
    uint32_t GetDisplayHeight() const { return m_DisplayHeight; }
    uint32_t GetScreenWidth() const { return m_ScreenWidth; }
    uint32_t GetScreenHeight() const { return m_ScreenHeight; }
    uint32_t GetCurrentWidth() const { return m_CurrentWidth; }
    uint32_t GetCurrentHeight() const { return m_CurrentHeight; }
    bool IsHardware() const { return m_Hardware; }
    uint32_t GetDetailLevel() const { return m_DetailLevel; }
    const std::string& GetFilterName() const { return m_FilterName; }
    const std::string& GetDisplayDriver() const { return m_DisplayDriver; }
    bool IsDepthStencilEnabled() const { return m_EnableDepthStencil; }
    const std::string& GetDepthStencilFormatName() const { return m_DepthStencilFormatName; }
    const std::string& GetConfigFileName() const { return m_ConfigFile; }
    void SetSkipEnumeration(bool skip) { m_SkipEnumeration = skip; }
    // A manager that never draws (a tool's that only reads a course, say) may start without the system
    // font and leave texture files unread: LoadTexture then gives no texture.
    void SetSkipSystemFont(bool skip) { m_SkipSystemFont = skip; }
    void SetSkipTextureFiles(bool skip) { m_SkipTextureFiles = skip; }
    void SetDepthMode(uint32_t mode) { m_DepthMode = mode; }
    uint32_t GetDepthMode() const { return m_DepthMode; }
    platform::GfxColor GetClearColor() const { return m_ClearColor; }
    void SetClearColor(platform::GfxColor color) { m_ClearColor = color; }

    // Device facts.
    uint32_t GetDisplayFormat() const { return m_DisplayFormat; }
    uint32_t GetBackBufferFormat() const { return m_BackBufferFormat; }
    uint32_t GetBehaviorFlags() const { return m_BehaviorFlags; }
    uint32_t GetMaxVertexCount() const { return m_MaxVertexCount; }
    uint32_t GetMaxVertexBufferBytes() const { return m_MaxVertexBufferBytes; }
    uint32_t GetMaxIndexBufferBytes() const { return m_MaxIndexBufferBytes; }
    const platform::GfxCaps& GetCaps() const { return m_Caps; }
    const platform::PresentParameters& GetPresentParameters() const { return m_PresentParameters; }
    const std::vector<kaCountedPtr<kaDisplayMode>>& GetDisplayModes() const { return m_DisplayModes; }
    uint32_t GetAdapterCount() const { return m_NumAdapters; }
    uint32_t GetCurrentAdapter() const { return m_CurrentAdapter; }
    const kaD3DAdapterInfo& GetAdapterInfo(uint32_t adapter) const { return m_Adapters[adapter]; }
    float GetSine(uint32_t step) const { return m_Sine[step % kCircleSteps]; }
    float GetCosine(uint32_t step) const { return m_Cosine[step % kCircleSteps]; }

    // The shared streaming buffers.
    kaVertexBuffer* GetDynamicVertexBuffer(uint32_t which) const;
    kaIndexBuffer* GetDynamicIndexBuffer(uint32_t which) const;
    kaVertexBuffer* GetLineBuffer() const { return m_LineBuffer.get(); }
    platform::GfxVertexBuffer* GetDeviceVertexBuffer() const { return m_pDeviceVertexBuffer; }

    // The root scene objects, each held by one reference of the list.
    // Takes a reference and initialises the object's hierarchy; false for a null object.
    bool AddSceneObject(ka3DObject* object, bool atFront);
    // An object with a parent leaves its parent, else the root list; neither releases it.
    bool DetachSceneObject(ka3DObject* object);
    // As DetachSceneObject, releasing the reference the parent or the list held.
    bool RemoveSceneObject(ka3DObject* object);
    void UpdateSceneObjects(float dt);
    const std::vector<ka3DObject*>& GetSceneObjects() const { return m_SceneObjects; }

    // One frame: recovery of a lost device, clear, the roots in render order, the debug lines, present.
    void Render(bool drawDebug, bool insideOuterScene);
    // Once a frame before the update: engine event -1 when a loss is first seen, -2 once it is over.
    platform::GfxResult CheckDevice();
    bool IsDeviceLost() const { return m_DeviceLost; }
    // Light i of the list becomes device light i, up to the device's limit; every other index is off.
    void ApplyLights();
    // The lights set each frame, in the order they came; the list holds no reference.
    void AddLight(kaLight* light);
    // Erases the first entry of the light.
    void RemoveLight(kaLight* light);
    const std::vector<kaLight*>& GetLights() const { return m_Lights; }

    // The camera's projection and view go on the device, and the frustum follows.
    void SetCamera(const kaCamera* camera);
    // Cameras set this when what they hand on changes; each frame turns it into the billboards' rebuild
    // flag for that frame.
    void SetViewChanged(bool changed) { m_ViewChanged = changed; }
    bool IsViewChanged() const { return m_ViewChanged; }
    bool IsRebuildingBillboards() const { return m_RebuildBillboards; }
    void SetRebuildBillboards(bool rebuild) { m_RebuildBillboards = rebuild; }

    // Device loss: every device object of the default pool goes before a reset and comes back after it.
    platform::GfxResult ResetDevice();
    void InvalidateDeviceObjects();
    void RestoreDeviceObjects();
    platform::GfxResult SwitchToWindowed(platform::WindowHandle window);

    // A 24-bit BMP of the window's client area from the last presented frame, named after the base name:
    // the base name with ".bmp", else with "_1.bmp", "_2.bmp" ..., the first that does not exist. False
    // when nothing was written.
    bool SaveScreenshot(platform::WindowHandle window, const std::string& baseName);
    // Between full screen and a window of the configured size, through a device reset.
    platform::GfxResult ToggleFullscreen(platform::WindowHandle window);
    // The mode's size in full screen or in a window centred on the desktop, through a device reset.
    platform::GfxResult ChangeResolution(platform::WindowHandle window, const kaDisplayMode& mode,
                                         bool fullScreen);
    // The style the window has for the current display mode.
    uint32_t GetWindowStyle() const { return m_WindowStyle; }

    // The view frustum from the device's view and projection. The tests use the active set, which only
    // UseViewFrustum and UseAltFrustum (the camera placed at the origin) replace.
    void UpdateFrustum();
    void UseViewFrustum();
    void UseAltFrustum();
    bool IsPointInFrustum(float x, float y, float z) const;
    static constexpr int kSphereOutside = 0;
    static constexpr int kSphereInside = 1;
    static constexpr int kSphereCrossing = 2;
    int TestSphereInFrustum(float x, float y, float z, float radius) const;
    const platform::Plane* GetActiveFrustum() const { return m_Frustum; }

    // Through the device's viewport, projection and view, with an identity world.
    platform::Vector3 ProjectToScreen(const platform::Vector3& point) const;
    platform::Vector3 UnprojectFromScreen(const platform::Vector3& point) const;
    void GetViewportSize(uint32_t& width, uint32_t& height) const;

    // Debug lines, queued from anywhere and drawn after the scene by the render pass.
    static constexpr uint32_t kDebugBatchVertices = 8096;
    static constexpr uint32_t kDebugCircleSegments = 16;
    void QueueDebugPrimitive(std::vector<VERTEX_WORLDPOS_DIFFUSE> vertices, bool depthTest);
    void DebugDrawAxes(float x, float y, float z, float length, float r, float g, float b, float a);
    // The twelve edges between corners whose indices differ in one bit.
    void DebugDrawBox(const platform::Vector3 (&corners)[8], float r, float g, float b, float a,
                      bool depthTest);
    void DebugDrawSphere(float x, float y, float z, float radius, float r, float g, float b, float a,
                         bool depthTest);
    // Along the transform's z axis, centred on its origin.
    void DebugDrawCylinder(float radius, float length, float r, float g, float b, float a,
                           const platform::Matrix& transform, bool depthTest);
    void DebugDrawCapsule(float radius, float length, float r, float g, float b, float a,
                          const platform::Matrix& transform, bool depthTest);
    // Draws and empties the queue.
    void DrawDebugPrimitives();
    const std::vector<kaDebugPrimitive>& GetDebugPrimitives() const { return m_DebugPrimitives; }
    void SetDebugDrawing(bool enable) { m_DebugDrawing = enable; }
    bool IsDebugDrawing() const { return m_DebugDrawing; }

    // Draws handed over during the frame and drawn together after the roots, the draws of one record next to
    // each other. The record's block must live until then.
    void QueueSortedDraw(const kaDrawRecord& record, const platform::Matrix& world);
    // Draws and empties the list.
    void DrawSortedDraws();
    const std::vector<std::pair<kaDrawRecord, platform::Matrix>>& GetSortedDraws() const
    {
        return m_SortedDraws;
    }

    // Transparent subsets drawn after the scene, triangle by triangle: lower draw orders first, then back to
    // front across every queued subset. The record's buffers are resolved now; its block must live until
    // the queue is drawn.
    void QueueMeshDraw(const platform::Matrix& world, const kaDrawRecord& subset, bool strip,
                       int32_t drawOrder);
    // Draws and empties the queue.
    void DrawQueuedMeshes();
    const std::vector<kaQueuedMeshDraw>& GetQueuedMeshDraws() const { return m_QueuedMeshDraws; }

private:
    struct SortedTriangle;
    // Pools live in their nodes: one allocation each, and their addresses hold while others come and go.
    using PoolTable = std::map<uint16_t, kaBufferPool>;
    // By memory pool (high 32 bits) and vertex format (low 32 bits, 0 for indices).
    using PoolRooms = std::map<uint64_t, kaPoolRoomIndex>;

    kaBufferPool* _FindPool(const PoolTable& table, kaResourceHandle handle, const char* operation) const;
    // The table's pool of that key, or null; silent, for look-ups that expect to miss.
    kaBufferPool* _PoolAt(const PoolTable& table, uint16_t key) const;
    // A pool that leaves its table leaves the look-up cache first.
    void _ForgetCachedPool(const PoolTable& table, uint16_t key);
    kaResourceHandle _CreateRun(PoolTable& table, PoolRooms& rooms, kaPoolKeyCounter& keys, uint32_t count,
                                uint32_t fvf, uint32_t pool, const char* operation);
    uint32_t _ReleaseRun(PoolTable& table, kaResourceHandle handle, const char* operation);
    // Takes a pool of the table out of its kind's room index before the pool goes.
    void _ForgetRoom(const PoolTable& table, uint16_t key);
    void _DeleteSharedBuffers();
    // Every texture and effect of the tables, the atlas pages and the image cache.
    void _ReleaseSharedResources();
    kaFont* _FindFont(const std::string& name) const;
    kaFont* _RegisterFont(kaFont* font, const std::string& name);
    // Numbers a texture and enters it in the shared texture table, which keeps one reference.
    kaTexture* _RegisterTexture(kaTexture* texture);
    void _UnlockSharedBatch();
    void _PlaceWindow(platform::WindowHandle window) const;
    // Full screen, a size is usable when some adapter lists a display mode of exactly that size; in a
    // window, when it is not empty and some listed mode is at least as large.
    bool _IsUsableSize(uint32_t width, uint32_t height) const;
    // A configured size that is not usable goes back to the default, with a debugger line.
    void _KeepListedSize(uint32_t& width, uint32_t& height, const char* keys) const;
    bool _HasCurrentDeviceSlot() const;
    void _FillModePresentParameters(platform::WindowHandle window);
    static uint32_t _ScreenshotRowBytes(uint32_t width);
    static std::vector<uint8_t> _EncodeScreenshot(const platform::FrameCapture& frame, uint32_t width,
                                                  uint32_t height);
    static std::string _NextScreenshotName(const std::string& baseName);
    void _ReleaseSceneObjects();
    // Renders the roots in order, each one's data asked of the cache some roots ahead of its draw.
    void _RenderRoots(const std::vector<ka3DObject*>& roots, uint32_t flag);
    void _CollectTriangles(const kaQueuedMeshDraw& draw, uint32_t record, const platform::Matrix& view,
                           std::vector<SortedTriangle>& triangles);
    void _DrawMeshRun(const kaQueuedMeshDraw& draw, uint32_t indexCount);
    void _BuildFrustum(const platform::Matrix& view, platform::Plane (&planes)[6]) const;
    void _AppendCircle(std::vector<VERTEX_WORLDPOS_DIFFUSE>& vertices, const platform::Vector3& centre,
                       const platform::Vector3& axisA, const platform::Vector3& axisB, float radius,
                       platform::GfxColor color) const;

    // Settings.
    bool m_FullScreen = false;
    bool m_Hardware = true;
    uint32_t m_DisplayWidth = kDefaultWidth;
    uint32_t m_DisplayHeight = kDefaultHeight;
    uint32_t m_ScreenWidth = kDefaultWidth;
    uint32_t m_ScreenHeight = kDefaultHeight;
    uint32_t m_CurrentWidth = kDefaultWidth;
    uint32_t m_CurrentHeight = kDefaultHeight;
    uint32_t m_BitsPerPixel = 16;
    uint32_t m_DetailLevel = 1;
    std::string m_FilterName = "Linear";
    std::string m_DisplayDriver = "Default";
    bool m_EnableDepthStencil = true;
    std::string m_DepthStencilFormatName = "D16";
    std::string m_ConfigFile;
    uint32_t m_WindowedStyle = 0;
    uint32_t m_WindowStyle = 0;
    bool m_UseDepthBuffer = true;
    uint32_t m_MinDepthBits = kMinDepthBits;
    uint32_t m_MinStencilBits = kMinStencilBits;
    bool m_SkipEnumeration = false;
    bool m_SkipSystemFont = false;
    bool m_SkipTextureFiles = false;
    // Set once a device has been made from the settings: only such settings are written back.
    bool m_SettingsMadeADevice = false;
    bool m_DeviceLost = false;
    bool m_LostNotified = false;
    float m_Ambient[4] = {0.15f, 0.15f, 0.15f, 1.0f};

    // Enumeration.
    kaD3DAdapterInfo m_Adapters[kMaxAdapters];
    uint32_t m_NumAdapters = 0;
    uint32_t m_CurrentAdapter = 0;
    std::vector<kaCountedPtr<kaDisplayMode>> m_DisplayModes;

    // The device.
    platform::GfxDirect3D* m_pD3D = nullptr;
    platform::GfxDevice* m_pDevice = nullptr;
    uint32_t m_DeviceType = platform::DEVTYPE_HAL;
    uint32_t m_DisplayFormat = platform::FMT_UNKNOWN;
    uint32_t m_BackBufferFormat = platform::FMT_UNKNOWN;
    uint32_t m_DepthMode = 1;
    platform::PresentParameters m_PresentParameters;
    platform::GfxCaps m_Caps;
    uint32_t m_BehaviorFlags = 0;
    uint32_t m_MaxVertexCount = 0;
    uint32_t m_MaxVertexBufferBytes = 65536;
    uint32_t m_MaxIndexBufferBytes = 65536;
    platform::GfxColor m_ClearColor = kDefaultClearColor;
    uint32_t m_TriangleCounts[2] = {0, 0};
    kaStateCache m_StateCache;
    static inline uint64_t s_StateChanges = 1;
    bool m_MaterialKnown = false;
    platform::Material m_Material;

    // Shared buffers.
    std::unique_ptr<kaVertexBuffer> m_DynamicVB[2];
    std::unique_ptr<kaIndexBuffer> m_DynamicIB[2];
    std::unique_ptr<kaVertexBuffer> m_LineBuffer;
    platform::GfxVertexBuffer* m_pDeviceVertexBuffer = nullptr;
    uint8_t* m_pBatchVertices = nullptr;
    uint32_t m_BatchVertexCount = 0;
    uint16_t* m_pBatchIndices = nullptr;
    uint32_t m_BatchIndexCount = 0;

    // Handles.
    PoolTable m_VertexPools;
    PoolTable m_IndexPools;
    // The pools the latest look-ups found, by the low bits of their keys: every lock, unlock and new run
    // looks one up, and a load works with a few pools at a time.
    struct CachedPool
    {
        uint16_t key = 0;
        kaBufferPool* pool = nullptr;
    };
    static constexpr size_t kCachedPools = 8;
    mutable CachedPool m_CachedVertexPools[kCachedPools];
    mutable CachedPool m_CachedIndexPools[kCachedPools];
    PoolRooms m_VertexRooms;
    PoolRooms m_IndexRooms;
    kaPoolKeyCounter m_VertexPoolKeys;
    kaPoolKeyCounter m_IndexPoolKeys;
    std::string m_GraphicsPath = "Graphics\\";

    // Shared textures and effects.
    std::map<uint32_t, kaTexture*> m_Textures;
    std::map<std::string, kaFont*> m_Fonts;
    std::map<uint32_t, kaEffect*> m_Effects;
    uint32_t m_EffectCounter = 0;
    uint32_t m_TextureCounter = 0;
    // The first m_ImageCacheCount entries are the cached images; those past it were cleared and keep only
    // their key's room for the next image, so a course's images do not allocate their names again.
    std::vector<std::pair<std::string, std::unique_ptr<kaImage>>> m_ImageCache;
    size_t m_ImageCacheCount = 0;
    // Image files are read into this one buffer and decoded from it; its room is kept between files unless an
    // image keeps the bytes as its pixels.
    platform::FileBytes m_ImageFileBytes;
    // Rooms that cleared images held their files in, taken by the next reads (a few megabytes at most).
    std::vector<platform::FileBytes> m_SpareImageRooms;
    std::unique_ptr<kaTextureAtlas> m_Atlas;

    // Scene and frame.
    std::vector<ka3DObject*> m_SceneObjects;
    platform::Plane m_Frustum[6];
    platform::Plane m_ViewFrustum[6];
    platform::Plane m_OriginFrustum[6];
    std::vector<kaDebugPrimitive> m_DebugPrimitives;
    bool m_DebugDrawing = true;
    std::vector<kaQueuedMeshDraw> m_QueuedMeshDraws;
    std::vector<std::pair<kaDrawRecord, platform::Matrix>> m_SortedDraws;
    std::vector<kaLight*> m_Lights;
    bool m_ViewChanged = false;
    bool m_RebuildBillboards = false;

    float m_Sine[kCircleSteps] = {};
    float m_Cosine[kCircleSteps] = {};

    static ShutdownHook s_ModelShutdownHook;
};

// The graphics manager while it exists.
extern kaGraphicsManager* g_pGraphicsManager;
