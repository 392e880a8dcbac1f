#include "model/xfile/import.h"

#include <algorithm>
#include <exception>
#include <limits>

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

// Counts from the counting passes, checked before any table exists.
struct Counts {
    std::vector<MeshCounts> meshes;
    int64_t joints = 0;
    MotionCounts motions;
    int64_t vertices = 0, faces = 0, materials = 0, frames = 0;
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

Counts countAll(XLines& lines, size_t start, int skinmode) {
    Counts c;
    lines.seek(start);
    c.meshes = countMeshes(lines, skinmode >= 1);
    for (const MeshCounts& m : c.meshes) {
        c.vertices += m.vertices;
        c.faces += m.faces;
        c.materials += m.materials;
    }
    if (skinmode >= 1) {
        lines.seek(start);
        c.joints = countJoints(lines);
    }
    if (skinmode >= 2) {
        lines.seek(start);
        c.motions = countMotions(lines, c.joints);
        for (const int32_t n : c.motions.frames) c.frames += n;
    }
    return c;
}

class XfileImport {
public:
    XfileImport(std::string_view bytes, std::string_view xPath, const XfileOptions& options, TextureLoader& textures,
                Obj3dModel& model)
        : bytes_(bytes),
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
    int readPasses(XLines& lines, size_t start, const Counts& counts);
    int storeVerticesAndMaterials(const CleanModel& clean);
    int storeSkin(const CleanModel& clean);
    int storeNormalsAndFaces(CleanModel& clean);

    std::string_view bytes_;
    std::string_view xPath_;
    XfileOptions options_;
    float scale_;
    TextureLoader& textures_;
    Obj3dModel& model_;
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

int XfileImport::readPasses(XLines& lines, size_t start, const Counts& counts) {
    lines.seek(start);
    if (!readMeshes(lines, counts.meshes, options_.skinmode >= 1, raw_)) return kXfileUnsafe;
    if (options_.skinmode >= 1) {
        lines.seek(start);
        if (!readJoints(lines, h().NumJoint, scale_, joints_)) return kXfileUnsafe;
    }
    if (options_.skinmode >= 2) {
        lines.seek(start);
        if (!readAnimations(lines, counts.motions, joints_, scale_, model_)) return kXfileUnsafe;
    }
    return kOk;
}

int XfileImport::storeVerticesAndMaterials(const CleanModel& clean) {
    if (!model_.vertex.allocate(clean.vertices.size())) return -6;
    std::copy(clean.vertices.begin(), clean.vertices.end(), model_.vertex.data());
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
    const std::vector<Obj3dWeight> weights = vertexWeights(clean.vertices.size(), clean.skin, raw_.boneNames, joints_);
    std::copy(weights.begin(), weights.end(), model_.weight.data());
    if (!model_.joint.allocate(std::max<size_t>(joints_.size(), 1))) return -11;
    for (size_t j = 0; j < joints_.size(); ++j) {
        const RawJoint& joint = joints_[j];
        model_.joint[j] = Obj3dJoint{joint.parent, joint.pos[0], joint.pos[1], joint.pos[2]};
        names_.joint.push_back(joint.name);
    }
    return kOk;
}

int XfileImport::storeNormalsAndFaces(CleanModel& clean) {
    if (options_.normalmode == 1) {
        if (!model_.normal.allocate(clean.vertices.size())) return -8;
        const std::vector<Obj3dNormal> normals = vertexNormals(clean.vertices, clean.faces);
        std::copy(normals.begin(), normals.end(), model_.normal.data());
    }
    orderFacesByMaterial(clean.faces);
    std::copy(clean.faces.begin(), clean.faces.end(), model_.face.data());
    return kOk;
}

int XfileImport::run() {
    XLines lines(bytes_);
    lines.skip(kHeaderLines);
    const size_t start = lines.position();
    const Counts counts = countAll(lines, start, options_.skinmode);
    const bool otherBlocks =
        std::any_of(counts.meshes.begin(), counts.meshes.end(), [](const MeshCounts& m) { return m.otherBlock; });
    if (otherBlocks || (counts.meshes.empty() && holdsMeshBlock(bytes_))) return kXfileOtherLayout;
    if (std::all_of(counts.meshes.begin(), counts.meshes.end(), [](const MeshCounts& m) { return m.vertices == 0; }))
        return kXfileNoMesh;
    if (!countsSafe(counts, bytes_.size())) return kXfileUnsafe;
    if (const int code = allocateHeader(counts); code != kOk) return code;
    if (const int code = readPasses(lines, start, counts); code != kOk) return code;
    names_.part = raw_.partNames;

    CleanModel clean = cleanUp(raw_, scale_);
    if (const int code = storeVerticesAndMaterials(clean); code != kOk) return code;
    if (const int code = storeSkin(clean); code != kOk) return code;
    return storeNormalsAndFaces(clean);
}

}  // namespace

int readXfileBytes(std::string_view bytes, std::string_view xPath, const XfileOptions& options,
                   TextureLoader& textures) {
    const int slot = firstFreeModelSlot();
    if (slot < 0) return -1;
    switch (formatOf(bytes)) {
        case XFormat::binary:
            return kXfileBinary;
        case XFormat::compressed:
            return kXfileCompressed;
        case XFormat::text:
            break;
    }
    Obj3dModel& model = *modelSlot(slot);
    XfileImport import(bytes, xPath, options, textures, model);
    if (const int code = import.run(); code != kOk) return code;
    const std::string pt3Path = pt3PathFor(xPath);
    if (options.writept3 >= 1 && pt3Path.size() > kPathMax) return -9;
    model.complete = true;
    if (options.writept3 >= 1 && writePt3File(pt3Path, model, import.names()) && options.writept3 >= 2) {
        clearModel(slot, 1, textures);
        return -1;
    }
    return slot;
}

int readXfile(const std::string& utf8Path, const XfileOptions& options, TextureLoader& textures) {
    if (firstFreeModelSlot() < 0) return -1;
    if (utf8Path.size() > kPathMax || utf8Path.find('\0') != std::string::npos) return -2;
    std::string bytes;
    switch (platform::readFileText(utf8Path, kMaxXfileBytes, bytes)) {
        case platform::FileRead::ok:
            return readXfileBytes(bytes, utf8Path, options, textures);
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
