#include "model/xfile/import.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <optional>

#include "Korvelv0.h"
#include "model/pt3.h"
#include "model/store.h"
#include "model/xfile/cleanup.h"
#include "model/xfile/passes.h"
#include "model/xfile/text.h"
#include "platform/files.h"

namespace korvel::model {

namespace {

using namespace xfile;

constexpr int kOk = 0;
// The exporter's fixed header before the first block the importer reads.
constexpr int64_t kHeaderLines = 212;
constexpr size_t kPathMax = 511;

// Counts from the counting passes, checked before any table exists, and
// where the passes start: the first line after the header, and the lines
// the joint and animation passes would find first from there.
struct Counts {
    std::vector<MeshCounts> meshes;
    int64_t joints = 0;
    MotionCounts motions;
    int64_t vertices = 0, faces = 0, materials = 0, frames = 0;
    uint64_t body = 0;
    std::optional<uint64_t> jointRoot;
};

// Each count the file declares is non-negative and at most the file size
// (each counted item takes at least one byte of a well-formed file), so the
// tables read from the file stay linear in its size. The keyframe table is
// the exception: it holds NumTotalFrame x NumMotion x NumJoint records while
// the file holds only NumTotalFrame x NumJoint keys, so it is bounded by
// kMaxKeyRecords instead. No product used for sizes or indices overflows.
bool countsSafe(const Counts& c, uint64_t fileSize) {
    const int64_t limit = static_cast<int64_t>(std::min<uint64_t>(fileSize, std::numeric_limits<int32_t>::max()));
    int64_t bones = 0, weights = 0;
    for (const MeshCounts& m : c.meshes) {
        if (m.vertices < 0 || m.faces < 0 || m.materials < 0 || m.bones < 0 || m.negativeWeights) return false;
        bones += m.bones;
        weights += m.weights;
    }
    for (const int32_t n : c.motions.frames)
        if (n <= 0) return false;
    const auto parts = static_cast<int64_t>(c.meshes.size());
    const auto motions = static_cast<int64_t>(c.motions.frames.size());
    for (const int64_t total : {parts, c.vertices, c.faces, c.materials, bones, weights, c.joints, motions, c.frames})
        if (total > limit) return false;
    if (motions > 0 && c.joints == 0) return false;
    if (motions > 0 && (c.frames * motions > kMaxKeyRecords || c.frames * motions * c.joints > kMaxKeyRecords))
        return false;
    return parts * c.materials <= std::numeric_limits<int32_t>::max();
}

Counts countAll(XLines& lines, int skinmode) {
    Counts c;
    lines.rewind();
    lines.skip(kHeaderLines);
    c.body = lines.position();
    c.meshes = countMeshes(lines, skinmode >= 1);
    for (const MeshCounts& m : c.meshes) {
        c.vertices += m.vertices;
        c.faces += m.faces;
        c.materials += m.materials;
    }
    if (skinmode >= 1) {
        lines.seek(c.body);
        c.joints = countJoints(lines, c.jointRoot);
    }
    if (skinmode >= 2) {
        lines.seek(c.body);
        c.motions = countMotions(lines, c.joints);
        for (const int32_t n : c.motions.frames) c.frames += n;
    }
    return c;
}

class XfileImport {
public:
    XfileImport(TextSource& text, uint64_t size, std::string_view xPath, const XfileOptions& options,
                TextureLoader& textures, Obj3dModel& model)
        : text_(text),
          size_(size),
          xPath_(xPath),
          options_(options),
          scale_(static_cast<float>(options.scale)),
          textures_(textures),
          model_(model) {}

    int run();
    Pt3Names& names() { return names_; }

private:
    Obj3dHeader& h() { return *model_.head(); }
    int allocateHeader(const Counts& counts);
    int readPasses(XLines& lines, const Counts& counts);
    int storeVerticesAndMaterials(CleanModel& clean);
    int storeSkin(const CleanModel& clean);
    int storeNormalsAndFaces(CleanModel& clean);

    TextSource& text_;
    uint64_t size_;
    std::string_view xPath_;
    XfileOptions options_;
    float scale_;
    TextureLoader& textures_;
    Obj3dModel& model_;
    // The raw vertices, which become the model's vertex table.
    Table<Obj3dVertex> vertices_;
    RawModel raw_;
    std::vector<RawJoint> joints_;
    Pt3Names names_;
};

int XfileImport::allocateHeader(const Counts& c) {
    if (!model_.header.allocate(1)) return -4;
    Obj3dHeader& head = h();
    head.NumPart = static_cast<int32_t>(c.meshes.size());
    head.NumFace = static_cast<int32_t>(c.faces);
    head.normalmode = options_.normalmode;
    head.skinmode = options_.skinmode;
    head.NumJoint = static_cast<int32_t>(c.joints);
    head.NumMotion = static_cast<int32_t>(c.motions.frames.size());
    head.NumTotalFrame = static_cast<int32_t>(c.frames);
    if (!model_.face.allocate(static_cast<size_t>(c.faces))) return -5;
    if (head.NumMotion > 0) {
        const auto keys = static_cast<size_t>(c.frames * head.NumMotion * c.joints);
        if (!model_.keyframe.allocate(keys) || !model_.motion.allocate(static_cast<size_t>(head.NumMotion)) ||
            !model_.frameno.allocate(static_cast<size_t>(c.frames)))
            return -4;
    }
    return kOk;
}

int XfileImport::readPasses(XLines& lines, const Counts& counts) {
    if (!vertices_.allocate(static_cast<size_t>(counts.vertices))) return -6;
    raw_.vertices = vertices_.span();
    raw_.faces = model_.face.span();
    // The joint and animation passes skip the lines before the first one
    // they look for.
    lines.seek(counts.body);
    if (!readMeshes(lines, counts.meshes, options_.skinmode >= 1, raw_)) return kXfileUnsafe;
    if (options_.skinmode >= 1) {
        lines.seek(counts.jointRoot.value_or(counts.body));
        if (!readJoints(lines, h().NumJoint, scale_, joints_)) return kXfileUnsafe;
    }
    if (options_.skinmode >= 2) {
        lines.seek(counts.motions.firstSetLine.value_or(counts.body));
        if (!readAnimations(lines, counts.motions, joints_, scale_, model_)) return kXfileUnsafe;
    }
    return kOk;
}

// The cleaned vertices become the model's vertex table as they are when no
// vertex merged, else a copy of the front of the raw table.
int XfileImport::storeVerticesAndMaterials(CleanModel& clean) {
    if (clean.vertices.size() == vertices_.size()) {
        model_.vertex = std::move(vertices_);
    } else {
        if (!model_.vertex.allocate(clean.vertices.size())) return -6;
        std::copy(clean.vertices.begin(), clean.vertices.end(), model_.vertex.data());
        clean.vertices = model_.vertex.span();
        vertices_.release();
    }
    h().NumVertex = static_cast<int32_t>(clean.vertices.size());

    if (!model_.material.allocate(clean.materials.size())) return -7;
    h().NumMaterial = static_cast<int32_t>(clean.materials.size());
    for (size_t i = 0; i < clean.materials.size(); ++i) {
        const RawMaterial& raw = clean.materials[i];
        const float* c = raw.colour;
        Obj3dMaterial& m = model_.material[i];
        m = Obj3dMaterial{c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10], -1, 3};
        if (!raw.texture.empty()) m.texsrvno = loadModelTexture(textures_, raw.texture, xPath_);
        names_.texture.push_back(raw.texture);
    }
    return kOk;
}

int XfileImport::storeSkin(const CleanModel& clean) {
    if (options_.skinmode < 1) return kOk;
    if (!model_.weight.allocate(clean.vertices.size())) return -10;
    vertexWeights(clean.skin, raw_.boneNames, joints_, model_.weight.span());
    if (!model_.joint.allocate(std::max<size_t>(joints_.size(), 1))) return -11;
    for (size_t j = 0; j < joints_.size(); ++j) {
        const RawJoint& joint = joints_[j];
        model_.joint[j] = Obj3dJoint{joint.parent, joint.pos[0], joint.pos[1], joint.pos[2]};
        names_.joint.push_back(joint.name);
    }
    return kOk;
}

// The faces were read into the model's face table and are ordered there.
int XfileImport::storeNormalsAndFaces(CleanModel& clean) {
    if (options_.normalmode == 1) {
        if (!model_.normal.allocate(clean.vertices.size())) return -8;
        vertexNormals(clean.vertices, clean.faces, model_.normal.span());
    }
    orderFacesByMaterial(clean.faces);
    return kOk;
}

int XfileImport::run() {
    XLines lines(text_);
    const Counts counts = countAll(lines, options_.skinmode);
    const bool otherBlocks =
        std::any_of(counts.meshes.begin(), counts.meshes.end(), [](const MeshCounts& m) { return m.otherBlock; });
    if (otherBlocks) return kXfileOtherLayout;
    if (counts.meshes.empty() && lines.rewind() && holdsMeshBlock(lines)) return kXfileOtherLayout;
    if (std::all_of(counts.meshes.begin(), counts.meshes.end(), [](const MeshCounts& m) { return m.vertices == 0; }))
        return kXfileNoMesh;
    if (!countsSafe(counts, size_)) return kXfileUnsafe;
    if (const int code = allocateHeader(counts); code != kOk) return code;
    if (const int code = readPasses(lines, counts); code != kOk) return code;
    names_.part = raw_.partNames;

    CleanModel clean = cleanUp(raw_, scale_);
    if (const int code = storeVerticesAndMaterials(clean); code != kOk) return code;
    if (const int code = storeSkin(clean); code != kOk) return code;
    return storeNormalsAndFaces(clean);
}

// Up to capacity bytes from the text's start.
size_t readFront(TextSource& text, char* out, size_t capacity) {
    size_t filled = 0;
    while (filled < capacity) {
        const size_t got = text.read(out + filled, capacity - filled);
        if (got == 0) break;
        filled += got;
    }
    return filled;
}

// The import from the text, which every pass reads again from its start.
// When the text cannot be read to its end in some pass, the import fails
// with -3, writes nothing and leaves the slot free.
int importText(TextSource& text, uint64_t size, std::string_view xPath, const XfileOptions& options,
               TextureLoader& textures) {
    const int slot = firstFreeModelSlot();
    if (slot < 0) return -1;
    char header[16];
    switch (formatOf(std::string_view(header, readFront(text, header, sizeof header)))) {
        case XFormat::binary:
            return kXfileBinary;
        case XFormat::compressed:
            return kXfileCompressed;
        case XFormat::text:
            break;
    }
    Obj3dModel& model = *modelSlot(slot);
    XfileImport import(text, size, xPath, options, textures, model);
    const int code = import.run();
    if (text.failed()) {
        clearModel(slot, 1, textures);
        return -3;
    }
    if (code != kOk) return code;
    const std::string pt3Path = pt3PathFor(xPath);
    if (options.writept3 >= 1 && pt3Path.size() > kPathMax) return -9;
    model.complete = true;
    if (options.writept3 >= 1 && writePt3File(pt3Path, model, import.names()) && options.writept3 >= 2) {
        clearModel(slot, 1, textures);
        return -1;
    }
    return slot;
}

}  // namespace

int readXfileBytes(std::string_view bytes, std::string_view xPath, const XfileOptions& options,
                   TextureLoader& textures) {
    MemoryText text(bytes);
    return importText(text, bytes.size(), xPath, options, textures);
}

int readXfile(const std::string& utf8Path, const XfileOptions& options, TextureLoader& textures) {
    if (firstFreeModelSlot() < 0) return -1;
    if (utf8Path.size() > kPathMax || utf8Path.find('\0') != std::string::npos) return -2;
    FileText file;
    switch (file.open(utf8Path, kMaxXfileBytes)) {
        case platform::FileRead::ok:
            return importText(file, file.size(), utf8Path, options, textures);
        case platform::FileRead::tooLarge:
            return kXfileUnsafe;
        case platform::FileRead::missing:
        case platform::FileRead::notRegular:
        case platform::FileRead::failed:
            break;
    }
    return -3;
}

}  // namespace korvel::model

namespace korvel::model::xfile {

std::string pt3PathFor(std::string_view xPath) {
    const size_t slash = xPath.find_last_of("/\\");
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const size_t dot = xPath.rfind(".x");
    if (dot == std::string_view::npos || dot < nameStart) return std::string(xPath) + ".pt3";
    return std::string(xPath.substr(0, dot + 1)) + "pt3";
}

}  // namespace korvel::model::xfile

// C export of the X importer. Nothing throws across the interface: running
// out of working memory reports -4.
extern "C" KORVEL_API int ReadXfile(const wchar_t* path, int normalmode, double scale, int skinmode, int writept3) {
    using namespace korvel;
    try {
        if (model::firstFreeModelSlot() < 0) return -1;
        if (path == nullptr) return -2;
        const model::XfileOptions options{normalmode, scale, skinmode, writept3};
        return model::readXfile(platform::utf8FromWide(path), options, model::libraryTextures());
    } catch (const std::exception&) {
        return -4;
    }
}
