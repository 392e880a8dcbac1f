#include "fake_gpu.h"

#include <cstring>

namespace korvel::model::testing {

FakeBuffer::FakeBuffer(const gpu::BufferDesc& desc, const void* data) : bytes(desc.byteWidth), desc_(desc) {
    if (data != nullptr && desc.byteWidth != 0) std::memcpy(bytes.data(), data, desc.byteWidth);
}

std::unique_ptr<gpu::Buffer> FakeDevice::createBuffer(const gpu::BufferDesc& desc, const void* initialData) {
    if (bufferCalls++ == failBufferCall) return nullptr;
    return std::make_unique<FakeBuffer>(desc, initialData);
}

}  // namespace korvel::model::testing
