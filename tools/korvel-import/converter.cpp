#include "converter.h"

#include <assimp/DefaultLogger.hpp>
#include <assimp/LogStream.hpp>
#include <assimp/postprocess.h>

#include <algorithm>
#include <cctype>

namespace korvel_import {

namespace fs = std::filesystem;

namespace {

// The importer's log, kept only for the messages that say it dropped faces:
// such a file would convert with holes and no word of it.
class DroppedFaces : public Assimp::LogStream {
public:
    void write(const char* message) override {
        std::string text = message;
        std::string lower = text;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        const bool drops = lower.find("ignor") != std::string::npos || lower.find("drop") != std::string::npos ||
                           lower.find("skip") != std::string::npos;
        if (first.empty() && drops && lower.find("face") != std::string::npos) {
            while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
            // The logger starts each line with "Error, T0: " or the like.
            const size_t start = text.find(": ");
            first = start == std::string::npos ? text : text.substr(start + 2);
        }
    }
    std::string first;
};

DroppedFaces& droppedFaces() {
    static DroppedFaces* stream = [] {
        if (Assimp::DefaultLogger::isNullLogger()) Assimp::DefaultLogger::create("", Assimp::Logger::NORMAL, 0);
        auto* s = new DroppedFaces;  // owned by the logger
        Assimp::DefaultLogger::get()->attachStream(s, Assimp::Logger::Warn | Assimp::Logger::Err);
        return s;
    }();
    return *stream;
}

}  // namespace

const aiScene& readScene(Assimp::Importer& importer, const fs::path& source) {
    std::error_code error;
    if (!fs::exists(source, error)) throw ImportError("no such file");
    if (!fs::is_regular_file(source, error)) throw ImportError("not a regular file");
    DroppedFaces& log = droppedFaces();
    log.first.clear();
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
    const aiScene* scene = importer.ReadFile(source.string(), aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                                                                  aiProcess_GenSmoothNormals | aiProcess_SortByPType |
                                                                  aiProcess_ValidateDataStructure);
    if (scene == nullptr) {
        const std::string reason = importer.GetErrorString();
        // What the importer says when points and lines were all there was.
        if (reason == "No meshes remaining") throw ImportError("the file holds no triangles to draw");
        throw ImportError("cannot read the file: " + reason);
    }
    if (!log.first.empty()) throw ImportError("the file holds malformed faces (" + log.first + ")");
    if ((scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0) throw ImportError("the file holds no complete scene");
    return *scene;
}

Model convertScene(const aiScene& scene, const fs::path& source, const fs::path& output, const Options& options,
                   std::vector<TextureFile>& files, std::vector<std::string>& warnings) {
    const Axes axes(options.scale, options.leftHanded);
    ScenePose pose(scene);
    Model model;
    const std::vector<PartSource> parts = addParts(scene, pose, axes, model);
    addMaterials(scene, compactMaterials(model), source, output, model, files, warnings);
    std::vector<JointSource> joints;
    if (needsSkeleton(scene, pose, parts)) joints = addSkeleton(pose, axes, parts, model);
    const auto offsets = morphOffsets(pose, axes, parts, model, warnings);
    markDuplicates(model, offsets);
    if (!joints.empty()) addMotions(scene, pose, axes, joints, options.fps, model);
    addShapekeys(scene, pose, parts, offsets, options.fps, model, warnings);
    return model;
}

Model importFile(const fs::path& source, const fs::path& output, const Options& options,
                 std::vector<std::string>& warnings) {
    Assimp::Importer importer;
    const fs::path absoluteSource = fs::absolute(source), absoluteOutput = fs::absolute(output);
    const aiScene& scene = readScene(importer, absoluteSource);
    std::vector<TextureFile> files;
    Model model = convertScene(scene, absoluteSource, absoluteOutput, options, files, warnings);
    writeModelFiles(model, files, absoluteOutput);
    return model;
}

}  // namespace korvel_import
