// The shared GPU buffers of the models: per layout group one immutable vertex
// buffer (bound once to the group's input slot) and one immutable index
// buffer of 32-bit indices, plus one index buffer of particle-hair triangles.
// The builders rebuild one of them from every complete model; models left
// incomplete by a failed load are skipped. Without a device (null) they
// return -2 at once and change nothing: no buffer, header or draw range.
#pragma once

#include "model/layout_group.h"
#include "platform/gpu/gpu.h"

namespace korvel::model {

// 1 success; -1 the group has no vertices (nothing changed); -2 vertex buffer
// creation failed or no device; -3 the group has no faces (vertex buffer
// built and bound, no index buffer); -4 index buffer creation failed.
int buildGroupBuffers(LayoutGroup group, gpu::Device* device, gpu::Context* context);
// 1 success; -1 no model has particle hair (nothing changed); -2 creation
// failed or no device.
int buildParticlehairIndexBuffer(gpu::Device* device, gpu::Context* context);

// The current buffers, null when not built.
gpu::Buffer* groupVertexBuffer(LayoutGroup group);
gpu::Buffer* groupIndexBuffer(LayoutGroup group);
gpu::Buffer* particlehairIndexBuffer();

// Releases every shared model buffer (CleanupDevice).
void releaseModelBuffers();

}  // namespace korvel::model
