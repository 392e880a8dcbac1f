#include "instance/draw_pose_upload.h"

#include <cstring>

#include "instance/pose.h"
#include "instance/shapekey.h"
#include "math/matrix.h"

namespace korvel::instance {
namespace {

using device::Pipeline;

bool writeDiscard(gpu::Context& context, gpu::Buffer& buffer, const void* data, size_t bytes) {
    gpu::MappedSubresource mapped;
    if (!context.mapDiscard(buffer, mapped) || mapped.data == nullptr) return false;
    std::memcpy(mapped.data, data, bytes);
    context.unmap(buffer);
    return true;
}

bool uploadShapekey(gpu::Context& context, const Pipeline& objects, const model::Obj3dModel& model,
                    const PoseRequest& request) {
    ShapekeyOffsets offsets;
    if (shapekeyOffsets(model, request.shapekey, request.shapekeyframe, offsets) == PoseOutcome::Refused) return false;
    gpu::Buffer& flag = *objects.cb(device::CbShapekeyFlag);
    gpu::Buffer& entries = *objects.cb(device::CbShapekeyOffsets);
    if (!writeDiscard(context, flag, &offsets.flag, sizeof offsets.flag)) return false;
    if (!writeDiscard(context, entries, offsets.offset, sizeof(math::Float4) * static_cast<size_t>(offsets.count)))
        return false;
    context.setConstantBuffer(gpu::ShaderStage::Vertex, device::CbShapekeyFlag, &flag);
    context.setConstantBuffer(gpu::ShaderStage::Vertex, device::CbShapekeyOffsets, &entries);
    return true;
}

const JointPalette& identityPalette() {
    static const JointPalette palette = [] {
        JointPalette p;
        p.count = kPaletteJoints;
        for (math::Matrix& m : p.matrix) m = math::identity();
        return p;
    }();
    return palette;
}

bool uploadPalette(gpu::Context& context, const Pipeline& objects, const JointPalette& palette) {
    gpu::Buffer& buffer = *objects.cb(device::CbJointPalette);
    if (!writeDiscard(context, buffer, palette.matrix, sizeof(math::Matrix) * static_cast<size_t>(palette.count)))
        return false;
    context.setConstantBuffer(gpu::ShaderStage::Vertex, device::CbJointPalette, &buffer);
    return true;
}

}  // namespace

bool uploadPose(gpu::Context& context, const Pipeline& objects, const model::Obj3dModel& model,
                model::LayoutGroup group, const PoseRequest& request) {
    if (!uploadShapekey(context, objects, model, request)) return false;
    JointPalette palette;
    switch (jointPalette(model, request.motion, request.frame, palette)) {
        case PoseOutcome::Written: return uploadPalette(context, objects, palette);
        case PoseOutcome::Refused: return false;
        case PoseOutcome::NoMotions: break;
    }
    return !model::groupFormat(group).skin || uploadPalette(context, objects, identityPalette());
}

}  // namespace korvel::instance
