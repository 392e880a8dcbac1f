// The model store: 50 numbered model slots, each holding a model's header and
// its record tables, with what every loader shares: the tables themselves,
// the largest counts the calls accept, the texture table as the loaders see
// it and the rule that finds a material's texture, and small read-only
// questions about a stored model.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/records.h"
#include "platform/memory.h"

namespace korvel::model {

// The largest counts the model calls accept. Each keeps a table, and every
// later walk over it (buffer builds, drawing, queries), bounded by the size of
// what the host really gave: a file's bytes, or the model's own vertices and
// faces. A call given more refuses before it allocates anything.

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

// A model table: one zero-filled heap block of records that is either present
// (possibly with zero records) or absent. The block comes from calloc (with
// huge pages asked for when it is large), so a huge count that the system
// cannot give leaves the table absent instead of throwing, and size() always
// tells how many records may be read.

template <class T>
class Table {
public:
    // Releases the old block and allocates count zeroed records; false (and
    // absent) when the allocation fails.
    bool allocate(size_t count) {
        release();
        void* block = platform::allocateZeroed(count == 0 ? 1 : count, sizeof(T));
        if (block == nullptr) return false;
        block_.reset(static_cast<T*>(block));
        size_ = count;
        return true;
    }
    void release() {
        block_.reset();
        size_ = 0;
    }

    bool present() const { return block_ != nullptr; }
    size_t size() const { return size_; }
    T* data() { return block_.get(); }
    const T* data() const { return block_.get(); }
    T& operator[](size_t i) { return block_.get()[i]; }
    const T& operator[](size_t i) const { return block_.get()[i]; }
    std::span<T> span() { return {block_.get(), size_}; }
    std::span<const T> span() const { return {block_.get(), size_}; }
    // Record i when it exists, else null: the bounds-checked access consumers use.
    T* at(long long i) { return i >= 0 && static_cast<size_t>(i) < size_ ? block_.get() + i : nullptr; }
    const T* at(long long i) const { return i >= 0 && static_cast<size_t>(i) < size_ ? block_.get() + i : nullptr; }

private:
    struct Free {
        void operator()(T* p) const { std::free(p); }
    };
    std::unique_ptr<T, Free> block_;
    size_t size_ = 0;
};

// What the model loaders need from the texture table: load an image file into
// a texture slot, and release a slot. The C interface passes the library's
// texture table; tests pass a fake, so the loaders run without a device.

class TextureLoader {
public:
    virtual ~TextureLoader() = default;
    // The texture slot 0..99 the file was loaded into, or -1.
    virtual int load(const std::string& utf8Path) = 0;
    // Releases a texture slot 0..99; a free slot is left as it is.
    virtual void release(int slot) = 0;
};

// The model store: 50 numbered model slots, each holding a model's header and
// its record tables. A slot is occupied exactly when its header is present.
// Every table is present or absent as the loaders leave it; readers test
// present() or size() and never index past size().

inline constexpr int kModelSlots = 50;

struct Obj3dModel {
    Table<Obj3dHeader> header;  // one record while the slot is occupied
    Table<Obj3dVertex> vertex;
    Table<Obj3dNormal> normal;
    Table<Obj3dWeight> weight;
    Table<Obj3dFace> face;
    Table<Obj3dMaterial> material;
    Table<Obj3dDrawRange> drawrange;
    Table<Obj3dJoint> joint;
    Table<Obj3dMotion> motion;
    Table<Obj3dFrameno> frameno;
    Table<Obj3dKeyframe> keyframe;
    Table<Shapekeyinfo> shapekeyinfo;
    Table<Shapekeyvertex> shapekeyvertex;
    Table<Shapekeytrans> shapekeytrans;
    Table<ParticlehairFace> particlehairface;
    // Set by a loader that finished; false while a load is running and after
    // a failed one, whose partial tables builders and consumers skip.
    bool complete = false;

    bool occupied() const { return header.present(); }
    Obj3dHeader* head() { return header.data(); }
    const Obj3dHeader* head() const { return header.data(); }
};

// The 50 model slots (device-owned).
struct ModelTable {
    std::array<Obj3dModel, kModelSlots> slots;
};

// NumTotalFrame x NumMotion x NumJoint, the keyframe records the format
// counts; 0 when a factor is negative, saturated at INT64_MAX.
int64_t keyRecordCount(const Obj3dHeader& header);

// Slot m (0..49), or null when m is out of range.
Obj3dModel* modelSlot(int m);
// Slot m when it is in range and occupied, else null.
Obj3dModel* occupiedModel(int m);
// Slot m when it is in range, occupied and completely loaded, else null.
Obj3dModel* completeModel(int m);
bool isComplete(int m);

// The lowest free slot, or -1 when all are occupied. A creating call takes
// it by allocating the slot's header (header.allocate(1)).
int firstFreeModelSlot();

// Releases slot m: with releaseTextures 1, first each distinct texture slot
// 0..99 that its materials use; then the header and every table. Out-of-range
// or free slots are left alone.
void clearModel(int m, int releaseTextures, TextureLoader& textures);
// Releases every slot as clearModel(m, 1, textures) does.
void clearAllModels(TextureLoader& textures);

// Small read-only questions about a stored model: counts, a vertex position
// and the last key frame of a motion or shape key. Indices outside the
// model's tables give no answer.

// normalmode, NumVertex, NumFace, NumMaterial, NumPart, NumJoint, NumMotion,
// NumTotalFrame, NumShapekey, NumShapekeyVertex, NumShapekeydata,
// NumParticlehairFace.
void infoGet(const Obj3dModel& model, int32_t out[12]);
// posx, posy, posz of the vertex; false when it does not exist.
bool pointInfo(const Obj3dModel& model, int vertex, double out[3]);
// frameno entry firstframe + numframe - 1 of the motion.
std::optional<int> motionLastFrame(const Obj3dModel& model, int motion);
// frameno of shape-key record firstdata + numframe - 1 of the kind.
std::optional<int> shapekeyLastFrame(const Obj3dModel& model, int kind);

// Finding a material's texture from the name a model file gives: the name as
// written, else the model file's directory followed by the name's last
// component, so that a texture written with another machine's absolute path
// is found next to the model. Both '\' and '/' separate path components.

// The path up to and including its last separator; empty when it has none.
std::string_view directoryOf(std::string_view path);
// The text after the name's last separator, or the whole name.
std::string_view lastComponent(std::string_view name);
// The texture slot, or -1 when neither name loads.
int loadModelTexture(TextureLoader& textures, std::string_view name, std::string_view modelPath);

// The model loaders' view of the library's texture table, and the model
// module's steps of CleanupDevice.

// Loads into and releases slots of the library's texture table.
TextureLoader& libraryTextures();

}  // namespace korvel::model
