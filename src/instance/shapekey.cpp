#include "instance/shapekey.h"

namespace korvel::instance {

namespace {

using model::Shapekeyinfo;
using model::Shapekeytrans;

// Kind `shapekey` when it exists and its key-frame records (row 0) lie in
// the tables, else null.
const Shapekeyinfo* usableKind(const model::Obj3dModel& model, int shapekey) {
    if (shapekey < 0 || shapekey >= model.head()->NumShapekey) return nullptr;
    const Shapekeyinfo* kind = model.shapekeyinfo.at(shapekey);
    if (kind == nullptr || kind->numframe < 1 || kind->firstdata < 0) return nullptr;
    const long long end = static_cast<long long>(kind->firstdata) + kind->numframe;
    return end <= static_cast<long long>(model.shapekeytrans.size()) ? kind : nullptr;
}

KeySpan kindSpan(const model::Obj3dModel& model, const Shapekeyinfo& kind, int frame) {
    const Shapekeytrans* row0 = model.shapekeytrans.data() + kind.firstdata;
    return searchKeys(frame, kind.numframe, [row0](int k) { return row0[k].frameno; });
}

// The records of moved-vertex row `row` at the span's two keys, or null when
// the row lies outside the kind or the table.
struct RowKeys {
    const Shapekeytrans* lo = nullptr;
    const Shapekeytrans* hi = nullptr;
};

RowKeys rowKeys(const model::Obj3dModel& model, const Shapekeyinfo& kind, const KeySpan& span, long long row) {
    if (row < 0 || row >= kind.numvertex) return {};
    const long long first = kind.firstdata + row * kind.numframe;
    return {model.shapekeytrans.at(first + span.lo), model.shapekeytrans.at(first + span.hi)};
}

math::Float3 blend(const Shapekeytrans& a, const Shapekeytrans& b, float u) {
    return {a.dx + u * (b.dx - a.dx), a.dy + u * (b.dy - a.dy), a.dz + u * (b.dz - a.dz)};
}

}  // namespace

PoseOutcome shapekeyOffsets(const model::Obj3dModel& model, int shapekey, int frame, ShapekeyOffsets& out) {
    const model::Obj3dHeader& header = *model.head();
    out.flag = 0;
    out.count = 1;
    out.offset[0] = {0.0f, 0.0f, 0.0f, 0.0f};
    if (header.NumShapekey == 0 || shapekey < 0) return PoseOutcome::Written;

    const Shapekeyinfo* kind = usableKind(model, shapekey);
    if (kind == nullptr || header.NumShapekeyVertex < 0 || header.NumShapekeyVertex > kShapekeyOffsetsMax) {
        return PoseOutcome::Refused;
    }
    out.flag = 1;
    out.count = header.NumShapekeyVertex;
    for (int i = 0; i < out.count; ++i) out.offset[i] = {0.0f, 0.0f, 0.0f, 0.0f};

    const KeySpan span = kindSpan(model, *kind, frame);
    for (int v = 0; v < kind->numvertex; ++v) {
        const RowKeys keys = rowKeys(model, *kind, span, v);
        if (keys.lo == nullptr || keys.hi == nullptr) continue;
        const int entry = keys.lo->skvertexindex;
        if (entry < 0 || entry >= out.count) continue;
        const math::Float3 d = blend(*keys.lo, *keys.hi, span.u);
        out.offset[entry] = {d.x, d.y, d.z, 0.0f};
    }
    return PoseOutcome::Written;
}

std::optional<ShapekeySampler> ShapekeySampler::make(const model::Obj3dModel& model, int shapekey, int frame) {
    const Shapekeyinfo* kind = usableKind(model, shapekey);
    if (kind == nullptr) return std::nullopt;
    return ShapekeySampler(model, *kind, kindSpan(model, *kind, frame));
}

ShapekeySampler::ShapekeySampler(const model::Obj3dModel& model, const Shapekeyinfo& kind, KeySpan span)
    : model_(&model), kind_(kind), span_(span), listPosition_(model.vertex.size(), -1) {
    const long long entries = model.head()->NumShapekeyVertex;
    for (long long s = 0; s < entries; ++s) {
        const int32_t* identity = model.shapekeyvertex.at(s);
        if (identity == nullptr) break;
        if (*identity >= 0 && static_cast<size_t>(*identity) < listPosition_.size()) {
            listPosition_[*identity] = static_cast<int>(s);
        }
    }
}

math::Float3 ShapekeySampler::displacement(int identity) const {
    if (identity < 0 || static_cast<size_t>(identity) >= listPosition_.size()) return {0.0f, 0.0f, 0.0f};
    const RowKeys keys = rowKeys(*model_, kind_, span_, listPosition_[identity]);
    if (keys.lo == nullptr || keys.hi == nullptr) return {0.0f, 0.0f, 0.0f};
    return blend(*keys.lo, *keys.hi, span_.u);
}

}  // namespace korvel::instance
