#include "source_pose.h"

#include "key_sampling.h"

namespace korvel_import_test {

namespace {

using Matrix = aiMatrix4x4t<double>;
using Vector = aiVector3t<double>;

Matrix toDouble(const aiMatrix4x4& m) {
    return Matrix(m.a1, m.a2, m.a3, m.a4, m.b1, m.b2, m.b3, m.b4, m.c1, m.c2, m.c3, m.c4, m.d1, m.d2, m.d3, m.d4);
}

Matrix local(const aiNode& node, const aiAnimation* animation, double ticks) {
    const Matrix own = toDouble(node.mTransformation);
    for (unsigned c = 0; animation != nullptr && c < animation->mNumChannels; ++c) {
        const aiNodeAnim& ch = *animation->mChannels[c];
        if (ch.mNodeName != node.mName) continue;
        Vector scale, position;
        aiQuaterniont<double> rotation;
        own.Decompose(scale, rotation, position);
        using namespace korvel_import;
        return Matrix(sampleVector(ch.mScalingKeys, ch.mNumScalingKeys, ticks, scale),
                      sampleRotation(ch.mRotationKeys, ch.mNumRotationKeys, ticks, rotation),
                      sampleVector(ch.mPositionKeys, ch.mNumPositionKeys, ticks, position));
    }
    return own;
}

Matrix global(const aiNode& node, const aiAnimation* animation, double ticks) {
    Matrix m = local(node, animation, ticks);
    for (const aiNode* p = node.mParent; p != nullptr; p = p->mParent) m = local(*p, animation, ticks) * m;
    return m;
}

}  // namespace

std::vector<double> sourceMorphWeights(const aiAnimation& animation, const aiMesh& mesh, double ticks) {
    std::vector<double> weights(mesh.mNumAnimMeshes, 0.0);
    if (animation.mNumMorphMeshChannels == 0) return weights;
    const aiMeshMorphAnim& channel = *animation.mMorphMeshChannels[0];
    const korvel_import::KeySpan s = korvel_import::findKeys(channel.mKeys, channel.mNumKeys, ticks);
    for (const unsigned k : {s.lo, s.hi}) {
        const double share = k == s.lo ? 1 - s.u : s.u;
        for (unsigned i = 0; i < channel.mKeys[k].mNumValuesAndWeights; ++i)
            weights[channel.mKeys[k].mValues[i]] += share * channel.mKeys[k].mWeights[i];
        if (s.lo == s.hi) break;
    }
    return weights;
}

std::vector<SourceVertex> sourcePose(const aiScene& scene, const aiNode& meshNode, const aiMesh& mesh,
                                     const aiAnimation* animation, double ticks,
                                     const std::vector<double>& morphWeights) {
    std::vector<Vector> rest(mesh.mNumVertices);
    for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
        const aiVector3D& p = mesh.mVertices[v];
        rest[v] = Vector(p.x, p.y, p.z);
        for (size_t t = 0; t < morphWeights.size(); ++t) {
            const aiVector3D& q = mesh.mAnimMeshes[t]->mVertices[v];
            rest[v] += morphWeights[t] * (Vector(q.x, q.y, q.z) - Vector(p.x, p.y, p.z));
        }
    }
    std::vector<SourceVertex> out(mesh.mNumVertices);
    for (unsigned b = 0; b < mesh.mNumBones; ++b) {
        const aiBone& bone = *mesh.mBones[b];
        const aiNode* node = scene.mRootNode->FindNode(bone.mName);
        const Matrix skin = node ? global(*node, animation, ticks) * toDouble(bone.mOffsetMatrix) : Matrix();
        for (unsigned w = 0; w < bone.mNumWeights; ++w) {
            SourceVertex& v = out[bone.mWeights[w].mVertexId];
            v.position += double{bone.mWeights[w].mWeight} * (skin * rest[bone.mWeights[w].mVertexId]);
            v.influences += 1;
            v.unplacedBone |= node == nullptr;
        }
    }
    const Matrix place = global(meshNode, animation, ticks);
    for (unsigned v = 0; v < mesh.mNumVertices; ++v)
        if (out[v].influences == 0) out[v].position = place * rest[v];
    return out;
}

}  // namespace korvel_import_test
