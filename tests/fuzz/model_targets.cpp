// The model readers' targets. A loaded model goes the whole way a host takes
// it: every buffer builder, an instance, a drawn pose, the CPU pose and
// every query on it, so that tables a reader let through are also safe
// for the code that trusts them.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Korvelv0.h"
#include "fuzz/scratch.h"
#include "fuzz/targets.h"

namespace korvel::fuzz {

namespace {

constexpr int kModelSlots = 50;

// Obj3dInfoGet's fields.
enum Info {
    kNormalmode,
    kVertices,
    kFaces,
    kMaterials,
    kParts,
    kJoints,
    kMotions,
    kFrames,
    kShapekeys,
    kInfoSize = 12
};
using ModelInfo = std::array<int, kInfoSize>;

ModelInfo infoOf(int model) {
    ModelInfo info{};
    Obj3dInfoGet(model, info.data());
    return info;
}

void queryModel(int model, int shapekey, int frame) {
    const ModelInfo info = infoOf(model);
    double point[3];
    for (int vertex : {-1, 0, info[kVertices] - 1, info[kVertices]}) Obj3dPointInfoGet0(model, vertex, point);
    for (int motion = -1; motion <= info[kMotions]; ++motion) Obj3dGetMotionkindframe(model, motion);
    for (int kind = -1; kind <= info[kShapekeys]; ++kind) Obj3dGetShapekeykindframe(model, kind);
    for (int material = -1; material <= info[kMaterials]; ++material) Obj3dGetMaterialParamTexsrvno(model, material);
    double sphere[4];
    GetObj3dSphere(model, sphere);
    const double start[3] = {-3.0, 0.5, -10.0}, end[3] = {2.0, -0.5, 10.0};
    LineNZObj3dPointCheck(start, end, model);
    LineNZObj3dTriangleCheck(start, end, model);
    ScreenxyObj3dPointCheck(400, 300, model, shapekey, frame);
}

void queryInstance(int image, const ModelInfo& info, int shapekey, int motion, int frame) {
    Image3dCalcAaboxOboxVtxCpu(image, motion, frame, 3);
    const size_t parts = info[kParts] > 0 ? static_cast<size_t>(info[kParts]) : 1;
    // One value per part as the header counts them (the stored boxes' own
    // arithmetic is the query tests').
    std::vector<double> box[6];
    for (std::vector<double>& field : box) field.assign(parts, 0.0);
    Image3dCalcAaboxOboxVtxCpu1(image, motion, frame, 3, box[0].data(), box[1].data(), box[2].data(), box[3].data(),
                                box[4].data(), box[5].data());
    for (int part : {-1, 0, info[kParts]}) IntersectImage3dObox(image, part, image, 0);

    // Every vertex, and one number on each side of the table.
    std::vector<int> vertices;
    for (int v = -1; v <= info[kVertices]; ++v) vertices.push_back(v);
    std::vector<double> x(vertices.size()), y(vertices.size()), z(vertices.size());
    Image3dVertexPosGet(image, shapekey, frame, motion, frame, static_cast<int>(vertices.size()), vertices.data(),
                        x.data(), y.data(), z.data());

    const double origin[3] = {0.0, 0.0, -20.0}, direction[3] = {0.01, 0.02, 1.0};
    int face = 0;
    double distance = 0.0;
    IntersectRayTriangleOfImage3d(origin, direction, image, shapekey, frame, motion, frame, &face, &distance);
}

void exerciseModel(int model, int frame) {
    if (model < 0) return;
    for (int (*build)() : {MakeVertexIndexBuffer0, MakeVertexIndexBuffer1, MakeVertexIndexBuffer0ba,
                           MakeVertexIndexBuffer1ba, MakeParticleHairIndexBuffer})
        build();
    const ModelInfo info = infoOf(model);
    const int motion = info[kMotions] > 0 ? frame % info[kMotions] : -1;
    const int shapekey = info[kShapekeys] > 0 ? frame % info[kShapekeys] : -1;
    queryModel(model, shapekey, frame);

    const int image = CreateImage3d(model);
    if (image < 0) return;
    ImageSetScaleRotTransAlpha(image, 1.0, 1.5, 1.0, 0.3, 0.2, 0.1, 0.0, 0.0, 5.0, 0.75);
    Image3dSetRendarparam(image, 3, 1, 1, 1);
    Image3dPartinfoSet(image, 0, 1.0, 1.0, 1.0, 0.1, 0.0, 0.0, 0.0, 0.5, 0.0, 1.0);
    ClearColorZ(1, 2, 3, 1.0);
    RenderImage(image, 2, shapekey, frame, motion, frame);
    SwapChainPresent();
    queryInstance(image, info, shapekey, motion, frame);
    ClearImage3d(image);
}

void clearAllModels() {
    for (int model = 0; model < kModelSlots; ++model) ClearObj3d(model, 1);
}

}  // namespace

bool runPt3(const uint8_t* data, size_t size) {
    if (size == 0) return false;
    const int normalmode = data[0] & 1;
    const int frame = data[0] >> 1;
    const std::wstring path = writeScratchFile("model.pt3", data + 1, size - 1);
    const int model = ReadPT3file(path.c_str(), normalmode, 1.5);
    exerciseModel(model, frame);
    clearAllModels();
    return model >= 0;
}

// With writept3 the PT3 file written beside the X file must read back into
// a model of the same counts: a file the importer writes and the reader
// refuses would be a model lost.
bool runXfile(const uint8_t* data, size_t size) {
    if (size == 0) return false;
    const int normalmode = data[0] & 1;
    const int skinmode = (data[0] >> 1) & 3;  // 3 is out of range on purpose
    const int writept3 = (data[0] >> 3) & 1;
    const int frame = data[0] >> 4;
    removeScratchFile("model.pt3");
    const std::wstring path = writeScratchFile("model.x", data + 1, size - 1);
    const int model = ReadXfile(path.c_str(), normalmode, 1.0, skinmode, writept3);
    if (model >= 0 && writept3 == 1) {
        std::wstring written = path;
        written.replace(written.size() - 1, 1, L"pt3");
        const int copy = ReadPT3file(written.c_str(), normalmode, 1.0);
        if (copy < 0) {
            std::fprintf(stderr, "korvel fuzz: ReadPT3file refuses the written PT3 file with %d\n", copy);
            std::abort();
        }
        const ModelInfo original = infoOf(model), reread = infoOf(copy);
        for (int field = 0; field < kInfoSize; ++field)
            if (original[field] != reread[field]) {
                std::fprintf(stderr, "korvel fuzz: the written PT3 file reads back with info field %d %d, not %d\n",
                             field, reread[field], original[field]);
                std::abort();
            }
    }
    exerciseModel(model, frame);
    clearAllModels();
    return model >= 0;
}

}  // namespace korvel::fuzz
