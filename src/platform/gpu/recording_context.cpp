#include "platform/gpu/recording_context.h"

namespace korvel::gpu {

namespace {
std::vector<uint8_t> copyBytes(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    return data ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>{};
}

uint32_t rowsOf(const Texture2DDesc& desc) {
    const bool blocks = desc.format == Format::BC1_UNorm || desc.format == Format::BC2_UNorm ||
                        desc.format == Format::BC3_UNorm;
    return blocks ? (desc.height + 3) / 4 : desc.height;
}
}  // namespace

Record& RecordingContext::add(Call call, const void* object) {
    Record& record = log_->records.emplace_back();
    record.call = call;
    record.object = object;
    return record;
}

void RecordingContext::iaSetInputLayout(InputLayout* layout) {
    add(Call::SetInputLayout, layout);
    inner_->iaSetInputLayout(layout);
}

void RecordingContext::iaSetVertexBuffer(uint32_t slot, Buffer* buffer, uint32_t stride, uint32_t offset) {
    Record& record = add(Call::SetVertexBuffer, buffer);
    record.slot = slot;
    record.args = {stride, offset};
    inner_->iaSetVertexBuffer(slot, buffer, stride, offset);
}

void RecordingContext::iaSetIndexBuffer(Buffer* buffer, Format format, uint32_t offset) {
    add(Call::SetIndexBuffer, buffer).args = {static_cast<int64_t>(format), offset};
    inner_->iaSetIndexBuffer(buffer, format, offset);
}

void RecordingContext::iaSetPrimitiveTopology(Topology topology) {
    add(Call::SetTopology).args = {static_cast<int64_t>(topology)};
    inner_->iaSetPrimitiveTopology(topology);
}

void RecordingContext::vsSetShader(VertexShader* shader) {
    add(Call::SetVertexShader, shader);
    inner_->vsSetShader(shader);
}

void RecordingContext::gsSetShader(GeometryShader* shader) {
    add(Call::SetGeometryShader, shader);
    inner_->gsSetShader(shader);
}

void RecordingContext::psSetShader(PixelShader* shader) {
    add(Call::SetPixelShader, shader);
    inner_->psSetShader(shader);
}

void RecordingContext::setConstantBuffer(ShaderStage stage, uint32_t slot, Buffer* buffer) {
    Record& record = add(Call::SetConstantBuffer, buffer);
    record.stage = stage;
    record.slot = slot;
    inner_->setConstantBuffer(stage, slot, buffer);
}

void RecordingContext::setShaderResource(ShaderStage stage, uint32_t slot, ShaderResourceView* view) {
    Record& record = add(Call::SetShaderResource, view);
    record.stage = stage;
    record.slot = slot;
    inner_->setShaderResource(stage, slot, view);
}

void RecordingContext::setSampler(ShaderStage stage, uint32_t slot, SamplerState* sampler) {
    Record& record = add(Call::SetSampler, sampler);
    record.stage = stage;
    record.slot = slot;
    inner_->setSampler(stage, slot, sampler);
}

void RecordingContext::rsSetState(RasterizerState* state) {
    add(Call::SetRasterizerState, state);
    inner_->rsSetState(state);
}

void RecordingContext::rsSetViewport(const Viewport& v) {
    add(Call::SetViewport).values = {v.topLeftX, v.topLeftY, v.width, v.height, v.minDepth, v.maxDepth};
    inner_->rsSetViewport(v);
}

void RecordingContext::omSetBlendState(BlendState* state, const float factor[4], uint32_t sampleMask) {
    Record& record = add(Call::SetBlendState, state);
    record.values = {1, 1, 1, 1, 0, 0};
    if (factor) record.values = {factor[0], factor[1], factor[2], factor[3], 0, 0};
    record.args = {sampleMask};
    inner_->omSetBlendState(state, factor, sampleMask);
}

void RecordingContext::omSetDepthStencilState(DepthStencilState* state, uint32_t stencilRef) {
    add(Call::SetDepthStencilState, state).args = {stencilRef};
    inner_->omSetDepthStencilState(state, stencilRef);
}

void RecordingContext::omSetRenderTargets(RenderTargetView* target, DepthStencilView* depth) {
    add(Call::SetRenderTargets, target).object2 = depth;
    inner_->omSetRenderTargets(target, depth);
}

void RecordingContext::updateSubresource(Buffer& buffer, const void* data, size_t bytes) {
    add(Call::UpdateSubresource, &buffer).bytes = copyBytes(data, bytes);
    inner_->updateSubresource(buffer, data, bytes);
}

void RecordingContext::updateTexture(Texture2D& texture, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                                     const void* data, uint32_t rowPitch) {
    Record& record = add(Call::UpdateTexture, &texture);
    record.args = {x, y, width, height, rowPitch};
    // The last row ends after its own pixels, not after a whole pitch.
    record.bytes = height ? copyBytes(data, size_t(rowPitch) * (height - 1) + size_t(width) * 4) : std::vector<uint8_t>{};
    inner_->updateTexture(texture, x, y, width, height, data, rowPitch);
}

bool RecordingContext::mapDiscard(Buffer& buffer, MappedSubresource& out) {
    bool mapped = inner_->mapDiscard(buffer, out);
    if (mapped) mapped_[&buffer] = out;
    return mapped;
}

void RecordingContext::unmap(Buffer& buffer) {
    if (auto found = mapped_.find(&buffer); found != mapped_.end()) {
        add(Call::WriteBuffer, &buffer).bytes = copyBytes(found->second.data, buffer.desc().byteWidth);
        mapped_.erase(found);
    }
    inner_->unmap(buffer);
}

bool RecordingContext::mapDiscard(Texture2D& texture, MappedSubresource& out) {
    bool mapped = inner_->mapDiscard(texture, out);
    if (mapped) mapped_[&texture] = out;
    return mapped;
}

void RecordingContext::unmap(Texture2D& texture) {
    if (auto found = mapped_.find(&texture); found != mapped_.end()) {
        Record& record = add(Call::WriteTexture, &texture);
        record.args = {found->second.rowPitch};
        record.bytes = copyBytes(found->second.data, size_t(found->second.rowPitch) * rowsOf(texture.desc()));
        mapped_.erase(found);
    }
    inner_->unmap(texture);
}

void RecordingContext::draw(uint32_t vertexCount, uint32_t startVertex) {
    add(Call::Draw).args = {vertexCount, startVertex};
    inner_->draw(vertexCount, startVertex);
}

void RecordingContext::drawIndexed(uint32_t indexCount, uint32_t startIndex, int32_t baseVertex) {
    add(Call::DrawIndexed).args = {indexCount, startIndex, baseVertex};
    inner_->drawIndexed(indexCount, startIndex, baseVertex);
}

void RecordingContext::drawIndexedInstanced(uint32_t indexCountPerInstance, uint32_t instanceCount,
                                            uint32_t startIndex, int32_t baseVertex, uint32_t startInstance) {
    add(Call::DrawIndexedInstanced).args = {indexCountPerInstance, instanceCount, startIndex, baseVertex, startInstance};
    inner_->drawIndexedInstanced(indexCountPerInstance, instanceCount, startIndex, baseVertex, startInstance);
}

void RecordingContext::clearRenderTargetView(RenderTargetView& target, const float rgba[4]) {
    add(Call::ClearRenderTarget, &target).values = {rgba[0], rgba[1], rgba[2], rgba[3], 0, 0};
    inner_->clearRenderTargetView(target, rgba);
}

void RecordingContext::clearDepthStencilView(DepthStencilView& depth, float value) {
    add(Call::ClearDepthStencil, &depth).values = {value};
    inner_->clearDepthStencilView(depth, value);
}

void RecordingContext::clearState() {
    add(Call::ClearState);
    inner_->clearState();
}

bool RecordingContext::readPixels(RenderTargetView& target, Image& out) {
    add(Call::ReadPixels, &target);
    return inner_->readPixels(target, out);
}

}  // namespace korvel::gpu
