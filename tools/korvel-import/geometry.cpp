#include "converter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <vector>

namespace korvel_import {

namespace {

// Past this the vertex numbers of a PT3 file would not fit its int fields.
constexpr size_t kMaxVertices = 50'000'000;

unsigned triangleCount(const aiMesh& mesh) {
    unsigned count = 0;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) count += mesh.mFaces[f].mNumIndices == 3 ? 1 : 0;
    return count;
}

aiVector3t<double> toDouble(const aiVector3D& v) { return {v.x, v.y, v.z}; }

// Normals follow the inverse transpose of the placing transform.
aiVector3t<double> transformNormal(const Matrix& inverseTranspose, const aiVector3D& n) {
    aiVector3t<double> out(inverseTranspose.a1 * n.x + inverseTranspose.a2 * n.y + inverseTranspose.a3 * n.z,
                           inverseTranspose.b1 * n.x + inverseTranspose.b2 * n.y + inverseTranspose.b3 * n.z,
                           inverseTranspose.c1 * n.x + inverseTranspose.c2 * n.y + inverseTranspose.c3 * n.z);
    const double length = out.Length();
    return length > 0 ? out / length : out;
}

bool finite(const aiVector3D& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Per vertex, the area-weighted normal of the triangles that meet it, in
// scene space; +y for a vertex that no triangle with an area meets.
std::vector<aiVector3D> triangleNormals(const aiMesh& mesh) {
    std::vector<aiVector3t<double>> sums(mesh.mNumVertices);
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices != 3 ||
            std::max({face.mIndices[0], face.mIndices[1], face.mIndices[2]}) >= mesh.mNumVertices)
            continue;
        const aiVector3t<double> a = toDouble(mesh.mVertices[face.mIndices[0]]);
        const aiVector3t<double> normal =
            (toDouble(mesh.mVertices[face.mIndices[1]]) - a) ^ (toDouble(mesh.mVertices[face.mIndices[2]]) - a);
        if (!std::isfinite(normal.SquareLength())) continue;
        for (unsigned c = 0; c < 3; ++c) sums[face.mIndices[c]] += normal;
    }
    std::vector<aiVector3D> out(mesh.mNumVertices, aiVector3D(0, 1, 0));
    for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
        const double length = sums[v].Length();
        if (length > 0)
            out[v] = aiVector3D(static_cast<float>(sums[v].x / length), static_cast<float>(sums[v].y / length),
                                static_cast<float>(sums[v].z / length));
    }
    return out;
}

void addMesh(const aiMesh& mesh, int part, const Matrix& place, const Axes& axes, Model& model) {
    Matrix normalTransform = place;
    normalTransform.Inverse().Transpose();
    const int first = static_cast<int>(model.vertices.size());
    // Normals that are not numbers (the importer gives them to the corners
    // of triangles without an area) are replaced by the triangles' own.
    std::vector<aiVector3D> fallback;
    for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
        Vertex v;
        v.part = part;
        v.material = static_cast<int>(mesh.mMaterialIndex);
        v.position = axes.point(place * toDouble(mesh.mVertices[i]));
        if (mesh.mNormals != nullptr) {
            if (!finite(mesh.mNormals[i]) && fallback.empty()) fallback = triangleNormals(mesh);
            const aiVector3D& normal = finite(mesh.mNormals[i]) ? mesh.mNormals[i] : fallback[i];
            v.normal = axes.direction(transformNormal(normalTransform, normal));
        }
        if (mesh.HasTextureCoords(0)) {
            v.u = mesh.mTextureCoords[0][i].x;
            v.v = 1.0 - mesh.mTextureCoords[0][i].y;  // the library's v runs down the image
        }
        model.vertices.push_back(v);
    }
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices != 3) continue;  // points and lines are not drawn
        Face out;
        out.part = part;
        out.material = static_cast<int>(mesh.mMaterialIndex);
        for (int c = 0; c < 3; ++c) {
            if (face.mIndices[c] >= mesh.mNumVertices) throw ImportError("a triangle names a vertex the mesh lacks");
            out.vertex[c] = first + static_cast<int>(face.mIndices[c]);
        }
        // Mirroring turns clockwise into counter-clockwise; the library's
        // front faces are clockwise, so the corners swap back.
        if (axes.mirrors()) std::swap(out.vertex[1], out.vertex[2]);
        model.faces.push_back(out);
    }
}

}  // namespace

std::vector<PartSource> addParts(const aiScene& scene, const ScenePose& pose, const Axes& axes, Model& model) {
    std::vector<PartSource> sources;
    size_t vertices = 0;
    for (size_t n = 0; n < pose.nodeCount(); ++n) {
        const aiNode& node = *pose.node(n);
        for (unsigned k = 0; k < node.mNumMeshes; ++k) {
            if (node.mMeshes[k] >= scene.mNumMeshes) throw ImportError("a node names a mesh the scene lacks");
            const aiMesh& mesh = *scene.mMeshes[node.mMeshes[k]];
            if (triangleCount(mesh) == 0) continue;
            if (mesh.mMaterialIndex >= scene.mNumMaterials) throw ImportError("a mesh names a missing material");
            vertices += mesh.mNumVertices;
            if (vertices > kMaxVertices) throw ImportError("the scene has more than 50,000,000 vertices");
            Part part;
            part.name = mesh.mName.length > 0 ? mesh.mName.C_Str() : node.mName.C_Str();
            part.mesh = node.mMeshes[k];
            part.firstVertex = static_cast<int>(model.vertices.size());
            part.vertexCount = static_cast<int>(mesh.mNumVertices);
            addMesh(mesh, static_cast<int>(model.parts.size()), pose.rest(n), axes, model);
            model.parts.push_back(part);
            sources.push_back({n, &mesh});
        }
    }
    if (model.faces.empty()) throw ImportError("the file holds no triangles to draw");
    return sources;
}

std::vector<unsigned> compactMaterials(Model& model) {
    std::unordered_map<int, int> renumbered;
    std::vector<unsigned> sceneMaterial;
    for (Face& f : model.faces) {
        const auto [entry, added] = renumbered.emplace(f.material, static_cast<int>(sceneMaterial.size()));
        if (added) sceneMaterial.push_back(static_cast<unsigned>(f.material));
        f.material = entry->second;
    }
    // Every part has one material, so its vertices take their faces' number.
    for (Vertex& v : model.vertices) {
        const auto found = renumbered.find(v.material);
        v.material = found == renumbered.end() ? -1 : found->second;
    }
    return sceneMaterial;
}

void markDuplicates(Model& model, const std::vector<std::vector<Vec3>>& offsets) {
    std::unordered_map<std::string, int> seen;
    int part = -1;
    for (size_t i = 0; i < model.vertices.size(); ++i) {
        Vertex& v = model.vertices[i];
        if (v.part != part) {
            seen.clear();
            part = v.part;
        }
        std::string key(reinterpret_cast<const char*>(v.position.data()), sizeof v.position);
        key.append(reinterpret_cast<const char*>(v.joint), sizeof v.joint);
        key.append(reinterpret_cast<const char*>(v.weight), sizeof v.weight);
        if (i < offsets.size() && !offsets[i].empty())
            key.append(reinterpret_cast<const char*>(offsets[i].data()), offsets[i].size() * sizeof(Vec3));
        const auto [entry, added] = seen.emplace(std::move(key), static_cast<int>(i));
        v.original = added ? -1 : entry->second;
    }
}

}  // namespace korvel_import
