#include "model/xfile_skin.h"

#include <cmath>
#include <string_view>
#include <unordered_map>

namespace korvel::model::xfile {
namespace {

struct Influence {
    int32_t joint;
    float weight;
};

// The two largest weights of more than two influences, kept in entry order
// and scaled to the influences' total.
Obj3dWeight strongestTwo(std::span<const Influence> all) {
    size_t first = 0;
    for (size_t k = 1; k < all.size(); ++k)
        if (all[k].weight > all[first].weight) first = k;
    size_t second = first == 0 ? 1 : 0;
    for (size_t k = 0; k < all.size(); ++k)
        if (k != first && all[k].weight > all[second].weight) second = k;
    if (second < first) std::swap(first, second);
    double total = 0.0;
    for (const Influence& influence : all) total += influence.weight;
    const double factor = total / (double{all[first].weight} + all[second].weight);
    const double scale = std::isfinite(factor) ? factor : 1.0;
    return Obj3dWeight{all[first].joint, all[second].joint, static_cast<float>(all[first].weight * scale),
                       static_cast<float>(all[second].weight * scale)};
}

}  // namespace

std::vector<Obj3dWeight> vertexWeights(size_t numVertex, std::span<const SkinEntry> entries,
                                       std::span<const std::string> boneNames, std::span<const RawJoint> joints) {
    std::unordered_map<std::string_view, int32_t> jointByName;
    for (size_t j = 0; j < joints.size(); ++j) jointByName[joints[j].name] = static_cast<int32_t>(j);
    std::vector<int32_t> boneJoint(boneNames.size(), -1);
    for (size_t b = 0; b < boneNames.size(); ++b)
        if (const auto found = jointByName.find(boneNames[b]); found != jointByName.end()) boneJoint[b] = found->second;

    // The usable influences grouped by vertex, in entry order.
    std::vector<uint32_t> start(numVertex + 1, 0);
    auto usable = [&](const SkinEntry& e) { return boneJoint[static_cast<size_t>(e.bone)] >= 0 && e.weight > 0.0f; };
    for (const SkinEntry& e : entries)
        if (usable(e)) ++start[static_cast<size_t>(e.vertex) + 1];
    for (size_t v = 0; v < numVertex; ++v) start[v + 1] += start[v];
    std::vector<Influence> influences(start[numVertex]);
    std::vector<uint32_t> fill(start.begin(), start.end() - 1);
    for (const SkinEntry& e : entries)
        if (usable(e)) influences[fill[static_cast<size_t>(e.vertex)]++] = {boneJoint[static_cast<size_t>(e.bone)], e.weight};

    std::vector<Obj3dWeight> weights(numVertex, Obj3dWeight{0, -1, 0.0f, 0.0f});
    for (size_t v = 0; v < numVertex; ++v) {
        const std::span<const Influence> own(influences.data() + start[v], start[v + 1] - start[v]);
        Obj3dWeight& w = weights[v];
        if (own.size() > 2) {
            w = strongestTwo(own);
            continue;
        }
        if (!own.empty()) w.jointno0 = own[0].joint, w.weight0 = own[0].weight;
        if (own.size() == 2) w.jointno1 = own[1].joint, w.weight1 = own[1].weight;
    }
    return weights;
}

}  // namespace korvel::model::xfile
