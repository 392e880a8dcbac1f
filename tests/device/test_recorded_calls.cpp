// What the device, camera and frame calls ask of the GPU, from the call log.
#include <gtest/gtest.h>

#include <cstring>

#include "Korvelv0.h"
#include "device/camera.h"
#include "device/device_state.h"
#include "device/injected_backend.h"
#include "device/pipeline.h"
#include "math/matrix.h"

namespace korvel::testing {
namespace {

using gpu::Call;
using gpu::ShaderStage;

class RecordedCalls : public ::testing::Test {
protected:
    void SetUp() override {
        ScreenSizeSet(1);
        ASSERT_EQ(InitDevice(nullptr), 0xB000);
    }
    void TearDown() override { CleanupDevice(); }

    // The matrix last uploaded into a buffer, transposed back.
    math::Matrix uploadedMatrix(const gpu::Buffer* buffer) const {
        const std::vector<uint8_t> bytes = backend.log->bufferContentsAt(buffer, backend.log->records.size());
        math::Matrix m{};
        if (bytes.size() == sizeof m) std::memcpy(&m, bytes.data(), sizeof m);
        return math::transpose(m);
    }

    InjectedBackend backend;
};

void expectMatrixEq(const math::Matrix& a, const math::Matrix& b) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(a.m[i][j], b.m[i][j]) << i << "," << j;
}

TEST_F(RecordedCalls, InitDeviceBindsScreenTargetsViewportAndDefaultProjection) {
    const device::DeviceState& state = device::deviceState();
    const gpu::Record* targets = backend.log->last(Call::SetRenderTargets);
    ASSERT_NE(targets, nullptr);
    EXPECT_EQ(targets->object, state.backBufferRTV.get());
    EXPECT_EQ(targets->object2, state.depthStencilView.get());
    const gpu::Record* viewport = backend.log->last(Call::SetViewport);
    ASSERT_NE(viewport, nullptr);
    EXPECT_EQ(viewport->values, (std::array<float, 6>{0, 0, 800, 600, 0, 1}));

    const gpu::Buffer* b1 = device::pipeline().cb(device::CbProjection);
    expectMatrixEq(uploadedMatrix(b1), device::camera().projectionMatrix);
    const size_t end = backend.log->records.size();
    EXPECT_EQ(backend.log->constantBufferAt(ShaderStage::Vertex, 1, end), b1);
    EXPECT_EQ(backend.log->constantBufferAt(ShaderStage::Geometry, 1, end), b1);
    EXPECT_EQ(backend.log->count(Call::CreateBuffer), 12u);
}

TEST_F(RecordedCalls, CameraSettersUploadTransposedMatricesToVertexAndGeometryStages) {
    backend.log->clear();
    ViewMatrixValueSet(1, 2, -5, 0, 0, 0, 0, 1, 0);
    const gpu::Buffer* b0 = device::pipeline().cb(device::CbView);
    expectMatrixEq(uploadedMatrix(b0), device::camera().viewMatrix);
    EXPECT_NE(device::camera().viewMatrix.m[3][2], 0.0f);
    size_t end = backend.log->records.size();
    EXPECT_EQ(backend.log->constantBufferAt(ShaderStage::Vertex, 0, end), b0);
    EXPECT_EQ(backend.log->constantBufferAt(ShaderStage::Geometry, 0, end), b0);

    // An unknown mode keeps the matrix but still uploads and binds it.
    const math::Matrix before = device::camera().projectionMatrix;
    backend.log->clear();
    ProjectionMatrixValueSet(7, 1, 1, 2, 3);
    ASSERT_EQ(backend.log->count(Call::UpdateSubresource), 1u);
    expectMatrixEq(uploadedMatrix(device::pipeline().cb(device::CbProjection)), before);
    end = backend.log->records.size();
    EXPECT_EQ(backend.log->constantBufferAt(ShaderStage::Geometry, 1, end), device::pipeline().cb(device::CbProjection));

    // Lighting setters touch no GPU object.
    backend.log->clear();
    SceneAmbientColorSet(1, 2, 3);
    SetPointLightPos(1, 2, 3);
    SetktexkdifkemikspcMparam(1, 2, 3, 4, 5, 6);
    EXPECT_TRUE(backend.log->records.empty());
}

TEST_F(RecordedCalls, TargetSelectionBindsViewportThenViewsAndClearsFollowIt) {
    const device::DeviceState& state = device::deviceState();
    ASSERT_EQ(CreateTextureforRTandSRV(128, 64), 101);
    backend.log->clear();
    SetViewportsandRenderTargets(101);
    const gpu::Record* viewport = backend.log->last(Call::SetViewport);
    ASSERT_NE(viewport, nullptr);
    EXPECT_EQ(viewport->values, (std::array<float, 6>{0, 0, 128, 64, 0, 1}));
    EXPECT_LT(backend.log->indexOf(Call::SetViewport, 0), backend.log->indexOf(Call::SetRenderTargets, 0));
    const gpu::Record* offscreen = backend.log->last(Call::SetRenderTargets);
    EXPECT_NE(offscreen->object, state.backBufferRTV.get());
    ClearColorZ(10, 0, 0, 1.0);
    EXPECT_EQ(backend.log->last(Call::ClearRenderTarget)->object, offscreen->object);
    EXPECT_EQ(backend.log->last(Call::ClearDepthStencil)->object, offscreen->object2);

    SetViewportsandRenderTargets(0);
    EXPECT_EQ(backend.log->last(Call::SetRenderTargets)->object, state.backBufferRTV.get());
    EXPECT_EQ(backend.log->last(Call::SetViewport)->values, (std::array<float, 6>{0, 0, 800, 600, 0, 1}));
}

}  // namespace
}  // namespace korvel::testing
