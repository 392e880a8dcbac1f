// The node tree of a scene, flattened parents first, and the global
// transform of every node at rest or at a time of an animation.
#pragma once

#include <assimp/scene.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "axes.h"

namespace korvel_import {

class ScenePose {
public:
    // Throws ImportError for a node graph that is not a tree.
    explicit ScenePose(const aiScene& scene);

    // Nodes in depth-first order; parent(i) < i, -1 for the root.
    size_t nodeCount() const { return nodes_.size(); }
    const aiNode* node(size_t i) const { return nodes_[i]; }
    int parent(size_t i) const { return parents_[i]; }
    // Index of a node, or -1; the first node of that name.
    int indexOf(const aiNode* node) const;
    int indexOfName(const std::string& name) const;

    // Global transforms as the nodes' own transforms give them.
    void setRest();
    // Global transforms at a time in ticks; nodes the animation does not
    // move keep their own transform; keys are held before the first and after
    // the last.
    void setTime(const aiAnimation& animation, double ticks);
    const Matrix& global(size_t i) const { return globals_[i]; }
    const Matrix& rest(size_t i) const { return rest_[i]; }

private:
    void compose(const std::vector<Matrix>& locals);

    std::vector<const aiNode*> nodes_;
    std::vector<int> parents_;
    std::unordered_map<const aiNode*, int> byNode_;
    std::unordered_map<std::string, int> byName_;
    std::vector<Matrix> globals_;
    std::vector<Matrix> rest_;
};

}  // namespace korvel_import
