// The largest counts the model calls accept. Each keeps a table, and every
// later walk over it (buffer builds, drawing, queries), bounded by the size of
// what the host really gave: a file's bytes, or the model's own vertices and
// faces. A call given more refuses before it allocates anything.
#pragma once

#include <cstdint>

namespace korvel::model {

// PT3 files: the whole file is read into memory, and the reader then keeps
// every table within a few times the file's size.
inline constexpr uint64_t kMaxPt3FileBytes = uint64_t{1} << 30;

// ToolMakeObj3d. A group's vertex buffer must stay within the 4 GiB a GPU
// buffer may hold (16M vertices of the largest 52-byte format take 872 MB);
// the rest are generous for any model a tool edits.
inline constexpr int32_t kMaxToolVertices = 1 << 24;
inline constexpr int32_t kMaxToolFaces = 1 << 24;
inline constexpr int32_t kMaxToolMaterials = 1 << 16;
inline constexpr int32_t kMaxToolJoints = 1 << 16;
inline constexpr int32_t kMaxToolMotions = 1 << 16;
inline constexpr int32_t kMaxToolFrames = 1 << 24;
// NumTotalFrame x NumMotion x NumJoint keyframe records (40 bytes each).
inline constexpr int64_t kMaxToolKeys = 1 << 24;

// Shape keys and hair attached to a model. The vertex list names each of the
// model's vertices at most once, so it holds at most NumVertex entries; a
// kind moves at most every vertex; each vertex has at most this many key
// records over all kinds, which bounds the records at NumVertex times it.
inline constexpr int32_t kMaxShapekeyKinds = 1 << 16;
inline constexpr int32_t kMaxShapekeyKeysPerVertex = 1024;
// Hair records: at most one per face.

}  // namespace korvel::model
