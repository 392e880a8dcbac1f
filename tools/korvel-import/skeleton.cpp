#include "converter.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

namespace korvel_import {

namespace {

constexpr double kDefaultTicksPerSecond = 25.0;
constexpr int kMaxFramesPerMotion = 100'000;

Matrix inverse(Matrix m) { return m.Inverse(); }

Matrix translationMatrix(const aiVector3t<double>& t) {
    Matrix m;
    m.a4 = t.x;
    m.b4 = t.y;
    m.c4 = t.z;
    return m;
}

Vec3 origin(const Axes& axes, const Matrix& m) { return axes.point({m.a4, m.b4, m.c4}); }

// Joint numbers for (node, bind-inverse) pairs, in order of first request;
// numbered parents first once all are known.
class JointSet {
public:
    int request(int node, const Matrix& bindInverse, const char* name) {
        for (size_t j = 0; j < sources_.size(); ++j)
            if (sources_[j].node == node && sources_[j].bindInverse.Equal(bindInverse, 0)) return static_cast<int>(j);
        sources_.push_back({node, bindInverse, name});
        return static_cast<int>(sources_.size()) - 1;
    }
    const std::vector<JointSource>& sources() const { return sources_; }

private:
    std::vector<JointSource> sources_;
};

struct Influence {
    int joint;
    double weight;
};

void setWeights(Vertex& v, std::vector<Influence> influences) {
    std::stable_sort(influences.begin(), influences.end(),
                     [](const Influence& a, const Influence& b) { return a.weight > b.weight; });
    const double total = std::accumulate(influences.begin(), influences.end(), 0.0,
                                         [](double s, const Influence& i) { return s + i.weight; });
    const size_t kept = std::min<size_t>(2, influences.size());
    double keptTotal = 0;
    for (size_t k = 0; k < kept; ++k) keptTotal += influences[k].weight;
    for (size_t k = 0; k < kept; ++k) {
        v.joint[k] = influences[k].joint;
        v.weight[k] = influences[k].weight * total / keptTotal;
    }
}

}  // namespace

bool needsSkeleton(const aiScene& scene, const ScenePose& pose, const std::vector<PartSource>& parts) {
    std::vector<bool> moved(pose.nodeCount(), false);
    for (unsigned a = 0; a < scene.mNumAnimations; ++a) {
        const aiAnimation* animation = scene.mAnimations[a];
        for (unsigned c = 0; animation != nullptr && c < animation->mNumChannels; ++c) {
            const int node =
                animation->mChannels[c] ? pose.indexOfName(animation->mChannels[c]->mNodeName.C_Str()) : -1;
            if (node >= 0) moved[static_cast<size_t>(node)] = true;
        }
    }
    for (size_t n = 0; n < pose.nodeCount(); ++n)
        if (pose.parent(n) >= 0 && moved[static_cast<size_t>(pose.parent(n))]) moved[n] = true;
    return std::any_of(parts.begin(), parts.end(),
                       [&](const PartSource& p) { return p.mesh->HasBones() || moved[p.node]; });
}

std::vector<JointSource> addSkeleton(const ScenePose& pose, const Axes& axes, const std::vector<PartSource>& parts,
                                     Model& model) {
    JointSet set;
    std::vector<std::vector<Influence>> influences(model.vertices.size());
    for (size_t p = 0; p < parts.size(); ++p) {
        const aiMesh& mesh = *parts[p].mesh;
        const size_t first = static_cast<size_t>(model.parts[p].firstVertex);
        const size_t node = parts[p].node;
        // The vertices are stored placed by their node; the offset matrix
        // takes them from the mesh's own space.
        const Matrix unplace = inverse(pose.rest(node));
        for (unsigned b = 0; b < mesh.mNumBones; ++b) {
            const aiBone& bone = *mesh.mBones[b];
            const int joint = set.request(pose.indexOfName(bone.mName.C_Str()), toDouble(bone.mOffsetMatrix) * unplace,
                                          bone.mName.C_Str());
            for (unsigned w = 0; w < bone.mNumWeights; ++w) {
                const aiVertexWeight& weight = bone.mWeights[w];
                if (weight.mVertexId < mesh.mNumVertices && weight.mWeight > 0)
                    influences[first + weight.mVertexId].push_back({joint, weight.mWeight});
            }
        }
        // Rigid meshes, and skin vertices no bone holds, ride on the mesh's node.
        for (size_t v = first; v < first + mesh.mNumVertices; ++v)
            if (influences[v].empty())
                influences[v].push_back(
                    {set.request(static_cast<int>(node), unplace, pose.node(node)->mName.C_Str()), 1.0});
    }

    const std::vector<JointSource>& requested = set.sources();
    if (requested.size() > kMaxJoints)
        throw ImportError("the model needs " + std::to_string(requested.size()) + " joints; drawing supports at most " +
                          std::to_string(kMaxJoints));
    // Parents first: node order, bones without a node last.
    std::vector<int> order(requested.size());
    std::iota(order.begin(), order.end(), 0);
    auto rank = [&](int j) { return requested[j].node < 0 ? static_cast<int>(pose.nodeCount()) : requested[j].node; };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return rank(a) < rank(b); });
    std::vector<int> number(requested.size());
    std::map<int, int> firstJointOfNode;
    std::vector<JointSource> sources;
    for (size_t k = 0; k < order.size(); ++k) {
        const JointSource& source = requested[static_cast<size_t>(order[k])];
        number[static_cast<size_t>(order[k])] = static_cast<int>(k);
        firstJointOfNode.emplace(source.node, static_cast<int>(k));
        Joint joint;
        joint.name = source.name;
        joint.rest = origin(axes, inverse(source.bindInverse));
        for (int a = source.node >= 0 ? pose.parent(static_cast<size_t>(source.node)) : -1; a >= 0;
             a = pose.parent(static_cast<size_t>(a))) {
            const auto found = firstJointOfNode.find(a);
            if (found != firstJointOfNode.end()) {
                joint.parent = found->second;
                break;
            }
        }
        model.joints.push_back(joint);
        sources.push_back(source);
    }
    for (size_t v = 0; v < model.vertices.size(); ++v) {
        for (Influence& i : influences[v]) i.joint = number[static_cast<size_t>(i.joint)];
        setWeights(model.vertices[v], influences[v]);
    }
    return sources;
}

int frameCount(const aiAnimation& animation, int fps) {
    const double ticksPerSecond = animation.mTicksPerSecond > 0 ? animation.mTicksPerSecond : kDefaultTicksPerSecond;
    const double last = std::ceil(animation.mDuration / ticksPerSecond * fps - 1e-6);
    if (!std::isfinite(last) || last < 0 || last >= kMaxFramesPerMotion)
        throw ImportError("animation \"" + std::string(animation.mName.C_Str()) +
                          "\" does not last a number of frames from 0 to 100,000 at this --fps");
    return static_cast<int>(last) + 1;
}

double ticksAtFrame(const aiAnimation& animation, int fps, int frame) {
    const double ticksPerSecond = animation.mTicksPerSecond > 0 ? animation.mTicksPerSecond : kDefaultTicksPerSecond;
    return std::min(frame * ticksPerSecond / fps, animation.mDuration);
}

void addMotions(const aiScene& scene, ScenePose& pose, const Axes& axes, const std::vector<JointSource>& joints,
                int fps, Model& model) {
    double totalFrames = 0;
    for (unsigned a = 0; a < scene.mNumAnimations; ++a) totalFrames += frameCount(*scene.mAnimations[a], fps);
    const double keyLines = totalFrames * scene.mNumAnimations * static_cast<double>(joints.size());
    if (keyLines > kMaxKeyLines)
        throw ImportError("the animations need " + std::to_string(std::llround(std::min(keyLines, 1e18))) +
                          " key lines (frames x motions x joints); the limit is 1,000,000: lower --fps");

    std::vector<Matrix> chained(joints.size());
    for (unsigned a = 0; a < scene.mNumAnimations; ++a) {
        const aiAnimation& animation = *scene.mAnimations[a];
        Motion motion;
        motion.name = animation.mName.C_Str();
        motion.frames = frameCount(animation, fps);
        motion.keys.resize(joints.size() * static_cast<size_t>(motion.frames));
        for (int f = 0; f < motion.frames; ++f) {
            pose.setTime(animation, ticksAtFrame(animation, fps, f));
            for (size_t j = 0; j < joints.size(); ++j) {
                const JointSource& source = joints[j];
                const Matrix target =
                    source.node < 0
                        ? Matrix()
                        : axes.conjugate(pose.global(static_cast<size_t>(source.node)) * source.bindInverse);
                const int parent = model.joints[j].parent;
                // What the library will compute for the parent, so that
                // rounding in one joint does not carry into its children.
                const Matrix local = parent < 0 ? target : inverse(chained[static_cast<size_t>(parent)]) * target;
                aiVector3t<double> scale, translation;
                aiQuaterniont<double> rotation;
                local.Decompose(scale, rotation, translation);
                rotation.Normalize();
                const Vec3& rest = model.joints[j].rest;
                const aiVector3t<double> restPoint(rest[0], rest[1], rest[2]);
                // The key turns about the rest position: local(x) = R S (x - P) + T.
                const aiVector3t<double> moved = local * restPoint;
                Key& key = motion.keys[j * static_cast<size_t>(motion.frames) + static_cast<size_t>(f)];
                key.scale = {scale.x, scale.y, scale.z};
                key.rotation = {rotation.w, rotation.x, rotation.y, rotation.z};
                key.translation = {moved.x, moved.y, moved.z};
                const Matrix rebuilt =
                    translationMatrix(moved) * Matrix(scale, rotation, {}) * translationMatrix(-restPoint);
                chained[j] = parent < 0 ? rebuilt : chained[static_cast<size_t>(parent)] * rebuilt;
            }
        }
        model.motions.push_back(std::move(motion));
    }
}

}  // namespace korvel_import
