#include "instance/shapekey.h"

#include <algorithm>

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

// Calls put(entry, displacement) for every moved-vertex row of the kind, in
// row order, with the list entry the row names (its skvertexindex) when that
// entry is below `entries`. Rows run on through the table, so the first row
// outside it ends the walk.
template <class Put>
void forEachRow(const model::Obj3dModel& model, const Shapekeyinfo& kind, const KeySpan& span, int entries, Put put) {
    for (int v = 0; v < kind.numvertex; ++v) {
        const RowKeys keys = rowKeys(model, kind, span, v);
        if (keys.lo == nullptr || keys.hi == nullptr) break;
        const int entry = keys.lo->skvertexindex;
        if (entry < 0 || entry >= entries) continue;
        put(entry, blend(*keys.lo, *keys.hi, span.u));
    }
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

    forEachRow(model, *kind, kindSpan(model, *kind, frame), out.count,
               [&out](int entry, math::Float3 d) { out.offset[entry] = {d.x, d.y, d.z, 0.0f}; });
    return PoseOutcome::Written;
}

std::optional<ShapekeySampler> ShapekeySampler::make(const model::Obj3dModel& model, int shapekey, int frame) {
    const Shapekeyinfo* kind = usableKind(model, shapekey);
    if (kind == nullptr) return std::nullopt;
    return ShapekeySampler(model, *kind, kindSpan(model, *kind, frame));
}

ShapekeySampler::ShapekeySampler(const model::Obj3dModel& model, const Shapekeyinfo& kind, const KeySpan& span)
    : listPosition_(model.vertex.size(), -1) {
    // List entries that exist: the header's count, limited to the list.
    const long long count = std::clamp<long long>(model.head()->NumShapekeyVertex, 0,
                                                  static_cast<long long>(model.shapekeyvertex.size()));
    entryOffset_.assign(static_cast<size_t>(count), math::Float3{0.0f, 0.0f, 0.0f});
    forEachRow(model, kind, span, static_cast<int>(count),
               [this](int entry, math::Float3 d) { entryOffset_[static_cast<size_t>(entry)] = d; });
    for (long long s = count - 1; s >= 0; --s) {
        const int32_t identity = model.shapekeyvertex[static_cast<size_t>(s)];
        if (identity >= 0 && static_cast<size_t>(identity) < listPosition_.size()) {
            listPosition_[static_cast<size_t>(identity)] = static_cast<int>(s);
        }
    }
}

math::Float3 ShapekeySampler::displacement(int identity) const {
    if (identity < 0 || static_cast<size_t>(identity) >= listPosition_.size()) return {0.0f, 0.0f, 0.0f};
    const int entry = listPosition_[static_cast<size_t>(identity)];
    return entry < 0 ? math::Float3{0.0f, 0.0f, 0.0f} : entryOffset_[static_cast<size_t>(entry)];
}

}  // namespace korvel::instance
