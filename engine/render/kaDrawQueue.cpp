#include "engine/render/kaDrawQueue.h"

#include "engine/core/kaApp.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaIndexBuffer.h"
#include "engine/render/kaVertexBuffer.h"
#include "engine/render/kaWorldBase.h"

// The program's one queue. The render pass reaches it through its members, which keeps this object in
// every program that draws.
static kaDrawQueue s_DrawQueue;

namespace
{

// The buffers that the frame's batched draws stream through.
const uint32_t kStreamingBuffer = 1;

} // namespace

kaDrawQueue::kaDrawQueue() : kaSingleton<kaDrawQueue>(this) {}

kaDrawQueue::~kaDrawQueue() = default;

void kaDrawQueue::Begin()
{
    _ClearCounters();
}

kaCamera* kaDrawQueue::FindCurrentCamera()
{
    const kaApp* app = kaApp::GetSingleton();
    const kaWorldBase* world = app ? app->GetCurrentWorld() : nullptr;
    return world ? world->GetCamera() : nullptr;
}

void kaDrawQueue::Flush()
{
    kaCamera* camera = FindCurrentCamera();
    if (!camera)
        return;
    camera->SetProjectionDepthBias(kBiasDelta, kBiasDepth);
    if (g_pGraphicsManager)
    {
        if (kaVertexBuffer* vertices = g_pGraphicsManager->GetDynamicVertexBuffer(kStreamingBuffer))
        {
            vertices->Discard();
            vertices->Seek(0);
        }
        if (kaIndexBuffer* indices = g_pGraphicsManager->GetDynamicIndexBuffer(kStreamingBuffer))
            indices->Seek(0);
    }
    camera->SetProjectionDepthBias(0.0f, 0.0f);
    _ClearCounters();
}

void kaDrawQueue::_ClearCounters()
{
    for (uint32_t& count : m_Counts)
        count = 0;
}
