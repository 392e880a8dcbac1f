#include "scene_pose.h"

#include <assimp/quaternion.h>

namespace korvel_import {

ScenePose::ScenePose(const aiScene& scene) {
    if (scene.mRootNode == nullptr) throw ImportError("the scene has no nodes");
    std::vector<std::pair<const aiNode*, int>> pending{{scene.mRootNode, -1}};
    while (!pending.empty()) {
        const auto [node, parent] = pending.back();
        pending.pop_back();
        if (!byNode_.emplace(node, static_cast<int>(nodes_.size())).second)
            throw ImportError("the node graph is not a tree (a node is reached twice)");
        byName_.emplace(node->mName.C_Str(), static_cast<int>(nodes_.size()));
        nodes_.push_back(node);
        parents_.push_back(parent);
        const int self = static_cast<int>(nodes_.size()) - 1;
        // Pushed in reverse so that children come out in their own order.
        for (unsigned c = node->mNumChildren; c-- > 0;)
            if (node->mChildren[c] != nullptr) pending.emplace_back(node->mChildren[c], self);
    }
    setRest();
    rest_ = globals_;
}

int ScenePose::indexOf(const aiNode* node) const {
    const auto found = byNode_.find(node);
    return found == byNode_.end() ? -1 : found->second;
}

int ScenePose::indexOfName(const std::string& name) const {
    const auto found = byName_.find(name);
    return found == byName_.end() ? -1 : found->second;
}

void ScenePose::compose(const std::vector<Matrix>& locals) {
    globals_.resize(nodes_.size());
    for (size_t i = 0; i < nodes_.size(); ++i)
        globals_[i] = parents_[i] < 0 ? locals[i] : globals_[static_cast<size_t>(parents_[i])] * locals[i];
}

void ScenePose::setRest() {
    std::vector<Matrix> locals(nodes_.size());
    for (size_t i = 0; i < nodes_.size(); ++i) locals[i] = toDouble(nodes_[i]->mTransformation);
    compose(locals);
}

void ScenePose::setTime(const aiAnimation& animation, double ticks) {
    std::vector<Matrix> locals(nodes_.size());
    for (size_t i = 0; i < nodes_.size(); ++i) locals[i] = toDouble(nodes_[i]->mTransformation);
    std::vector<bool> moved(nodes_.size(), false);
    for (unsigned c = 0; c < animation.mNumChannels; ++c) {
        const aiNodeAnim* channel = animation.mChannels[c];
        if (channel == nullptr) continue;
        const int i = indexOfName(channel->mNodeName.C_Str());
        if (i < 0 || moved[static_cast<size_t>(i)]) continue;
        moved[static_cast<size_t>(i)] = true;
        // A component without keys keeps the node's own value.
        aiVector3t<double> ownScale, ownPosition;
        aiQuaterniont<double> ownRotation;
        locals[static_cast<size_t>(i)].Decompose(ownScale, ownRotation, ownPosition);
        const auto position = sampleVector(channel->mPositionKeys, channel->mNumPositionKeys, ticks, ownPosition);
        const auto rotation = sampleRotation(channel->mRotationKeys, channel->mNumRotationKeys, ticks, ownRotation);
        const auto scale = sampleVector(channel->mScalingKeys, channel->mNumScalingKeys, ticks, ownScale);
        locals[static_cast<size_t>(i)] = Matrix(scale, rotation, position);
    }
    compose(locals);
}

}  // namespace korvel_import
