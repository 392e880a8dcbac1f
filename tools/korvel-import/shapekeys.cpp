#include "converter.h"

namespace korvel_import {

namespace {

// The shape-key vertex list is one PT3 line of at most 510 characters.
constexpr size_t kMaxListCharacters = 500;

bool usable(const aiMesh& mesh, unsigned target) {
    const aiAnimMesh* anim = mesh.mAnimMeshes[target];
    return anim != nullptr && anim->mVertices != nullptr && anim->mNumVertices == mesh.mNumVertices;
}

bool moves(const std::vector<Vec3>& offsets) {
    for (const Vec3& d : offsets)
        if (d[0] != 0 || d[1] != 0 || d[2] != 0) return true;
    return false;
}

double weightOf(const aiMeshMorphKey& key, unsigned target) {
    for (unsigned i = 0; i < key.mNumValuesAndWeights; ++i)
        if (key.mValues[i] == target) return key.mWeights[i];
    return 0;
}

// The morph weights of every target at a time: linear between keys.
std::vector<double> morphWeights(const aiMeshMorphAnim& channel, double ticks, unsigned targets) {
    std::vector<double> weights(targets, 0.0);
    if (channel.mKeys == nullptr || channel.mNumKeys == 0) return weights;
    const KeySpan s = findKeys(channel.mKeys, channel.mNumKeys, ticks);
    for (unsigned t = 0; t < targets; ++t) {
        const double lo = weightOf(channel.mKeys[s.lo], t), hi = weightOf(channel.mKeys[s.hi], t);
        weights[t] = lo + s.u * (hi - lo);
    }
    return weights;
}

size_t listCharacters(const std::vector<int>& list) {
    size_t n = 0;
    for (int v : list) n += std::to_string(v).size() + 1;
    return n;
}

}  // namespace

std::vector<std::vector<Vec3>> morphOffsets(const ScenePose& pose, const Axes& axes,
                                            const std::vector<PartSource>& parts, const Model& model,
                                            std::vector<std::string>& warnings) {
    std::vector<std::vector<Vec3>> offsets(model.vertices.size());
    for (size_t p = 0; p < parts.size(); ++p) {
        const aiMesh& mesh = *parts[p].mesh;
        if (mesh.mNumAnimMeshes == 0 || mesh.mAnimMeshes == nullptr) continue;
        Matrix linear = pose.rest(parts[p].node);
        linear.a4 = linear.b4 = linear.c4 = 0;
        const size_t first = static_cast<size_t>(model.parts[p].firstVertex);
        for (unsigned t = 0; t < mesh.mNumAnimMeshes; ++t) {
            const bool fits = usable(mesh, t);
            if (!fits)
                warnings.push_back("morph target " + std::to_string(t) + " of mesh " + model.parts[p].name +
                                   " does not have the mesh's vertex count; left out");
            for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
                Vec3 d{};
                if (fits) {
                    const aiVector3D& a = mesh.mAnimMeshes[t]->mVertices[v];
                    const aiVector3D& b = mesh.mVertices[v];
                    d = axes.point(linear *
                                   aiVector3t<double>(double{a.x} - b.x, double{a.y} - b.y, double{a.z} - b.z));
                }
                offsets[first + v].push_back(d);
            }
        }
    }
    return offsets;
}

void addShapekeys(const aiScene& scene, const ScenePose& pose, const std::vector<PartSource>& parts,
                  const std::vector<std::vector<Vec3>>& offsets, int fps, Model& model,
                  std::vector<std::string>& warnings) {
    std::vector<std::vector<int>> moved(parts.size());  // per part, the vertices its targets move
    for (size_t p = 0; p < parts.size(); ++p) {
        const Part& part = model.parts[p];
        for (int v = part.firstVertex; v < part.firstVertex + part.vertexCount; ++v)
            if (model.vertices[static_cast<size_t>(v)].original < 0 && moves(offsets[static_cast<size_t>(v)]))
                moved[p].push_back(v);
        if (moved[p].empty()) continue;
        std::vector<int> list = model.shapekeyVertices;
        list.insert(list.end(), moved[p].begin(), moved[p].end());
        if (list.size() > kMaxShapekeyVertices || listCharacters(list) > kMaxListCharacters) {
            warnings.push_back("the morph targets of mesh " + part.name + " move " + std::to_string(moved[p].size()) +
                               " vertices, past the 64 that drawing holds with the others; left out");
            moved[p].clear();
            continue;
        }
        model.shapekeyVertices = list;
        const aiMesh& mesh = *parts[p].mesh;
        for (unsigned t = 0; t < mesh.mNumAnimMeshes; ++t) {
            if (!usable(mesh, t)) continue;
            Shapekey key;
            const std::string target = mesh.mAnimMeshes[t]->mName.C_Str();
            key.name = part.name + "/" + (target.empty() ? "target" + std::to_string(t) : target);
            key.frameNumbers = {0, 100};
            key.vertices = moved[p];
            for (int v : moved[p]) {
                key.offsets.push_back({});
                key.offsets.push_back(offsets[static_cast<size_t>(v)][t]);
            }
            model.shapekeys.push_back(std::move(key));
        }
    }
    long long records = 0;
    for (unsigned a = 0; a < scene.mNumAnimations; ++a) {
        const aiAnimation& animation = *scene.mAnimations[a];
        for (unsigned c = 0; c < animation.mNumMorphMeshChannels; ++c) {
            const aiMeshMorphAnim* channel = animation.mMorphMeshChannels[c];
            if (channel == nullptr) continue;
            const std::string name = channel->mName.C_Str();
            for (size_t p = 0; p < parts.size(); ++p) {
                if (moved[p].empty() ||
                    (name != parts[p].mesh->mName.C_Str() && name != pose.node(parts[p].node)->mName.C_Str()))
                    continue;
                Shapekey key;
                key.name = std::string(animation.mName.C_Str()) + "/" + model.parts[p].name;
                const int frames = frameCount(animation, fps);
                records += static_cast<long long>(moved[p].size()) * frames;
                if (records > kMaxKeyLines)
                    throw ImportError("the animated shape keys need more than 1,000,000 records: lower --fps");
                for (int f = 0; f < frames; ++f) key.frameNumbers.push_back(f);
                key.vertices = moved[p];
                const unsigned targets = parts[p].mesh->mNumAnimMeshes;
                key.offsets.resize(moved[p].size() * static_cast<size_t>(frames));
                for (int f = 0; f < frames; ++f) {
                    const std::vector<double> w = morphWeights(*channel, ticksAtFrame(animation, fps, f), targets);
                    for (size_t v = 0; v < moved[p].size(); ++v) {
                        Vec3& out = key.offsets[v * static_cast<size_t>(frames) + static_cast<size_t>(f)];
                        const std::vector<Vec3>& d = offsets[static_cast<size_t>(moved[p][v])];
                        for (unsigned t = 0; t < targets; ++t)
                            for (int k = 0; k < 3; ++k)
                                out[static_cast<size_t>(k)] += w[t] * d[t][static_cast<size_t>(k)];
                    }
                }
                model.shapekeys.push_back(std::move(key));
            }
        }
    }
}

}  // namespace korvel_import
