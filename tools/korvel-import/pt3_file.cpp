// korvel-import's output: the converted model as the tables the library
// keeps for a model, written by the library's own PT3 writer, beside the
// texture files it names. Values a PT3 line cannot carry are refused here.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>
#include <unordered_map>

#include "Korvelv0.h"
#include "converter.h"
#include "model/pt3.h"

namespace korvel_import {

namespace fs = std::filesystem;

namespace {

using korvel::model::Obj3dModel;
using korvel::model::Pt3Names;

// The reader keeps 510 characters of a line; a real within +-10,000,000
// keeps every line of numbers well inside that.
constexpr size_t kMaxLine = 510;
constexpr double kMaxMagnitude = 1e7;

float real(double v, const char* what) {
    if (!std::isfinite(v) || std::fabs(v) > kMaxMagnitude)
        throw ImportError(std::string("a ") + what + " is not a number within +-10,000,000 (after -s)");
    return static_cast<float>(v);
}

// A 0..1 colour as the reader stores the byte a file gives for it.
float colour(double c) {
    const long byte = std::lround(std::clamp(c, 0.0, 1.0) * 255.0);
    return static_cast<float>(static_cast<double>(byte) / 255.0);
}

// A name the PT3 line can hold: at most 100 bytes, no separators.
std::string lineName(const std::string& s) {
    std::string safe = s.substr(0, 100);
    std::replace_if(
        safe.begin(), safe.end(), [](char c) { return c == ';' || c == '\n' || c == '\r'; }, '_');
    return safe;
}

template <class T>
T* records(korvel::model::Table<T>& table, size_t count) {
    if (!table.allocate(count)) throw std::bad_alloc();
    return table.data();
}

int32_t count(size_t n) { return static_cast<int32_t>(n); }

void addGeometry(const Model& m, Obj3dModel& out, Pt3Names& names) {
    auto* vertex = records(out.vertex, m.vertices.size());
    auto* normal = records(out.normal, m.vertices.size());
    auto* weight = records(out.weight, m.joints.empty() ? 0 : m.vertices.size());
    for (size_t i = 0; i < m.vertices.size(); ++i) {
        const Vertex& v = m.vertices[i];
        vertex[i] = {v.part,
                     v.material,
                     v.original,
                     real(v.position[0], "vertex position"),
                     real(v.position[1], "vertex position"),
                     real(v.position[2], "vertex position"),
                     real(v.u, "texture coordinate"),
                     real(v.v, "texture coordinate")};
        normal[i] = {real(v.normal[0], "normal"), real(v.normal[1], "normal"), real(v.normal[2], "normal")};
        if (!m.joints.empty())
            weight[i] = {v.joint[0], v.joint[1], real(v.weight[0], "weight"), real(v.weight[1], "weight")};
    }
    auto* face = records(out.face, m.faces.size());
    for (size_t i = 0; i < m.faces.size(); ++i) {
        const Face& f = m.faces[i];
        face[i] = {f.part, {f.vertex[0], f.vertex[1], f.vertex[2]}, f.material};
    }
    auto* material = records(out.material, m.materials.size());
    for (size_t i = 0; i < m.materials.size(); ++i) {
        const Material& mat = m.materials[i];
        // Any slot but -1 makes the writer name the texture.
        material[i] = {colour(mat.diffuse[0]),
                       colour(mat.diffuse[1]),
                       colour(mat.diffuse[2]),
                       real(mat.alpha, "material alpha"),
                       real(mat.power, "specular power"),
                       colour(mat.specular[0]),
                       colour(mat.specular[1]),
                       colour(mat.specular[2]),
                       colour(mat.emissive[0]),
                       colour(mat.emissive[1]),
                       colour(mat.emissive[2]),
                       mat.texture.empty() ? -1 : 0,
                       0};
        names.texture.push_back(mat.texture);
        names.material.push_back(lineName(mat.name));
    }
    for (const Part& part : m.parts) names.part.push_back(lineName(part.name));
}

void addJointsAndMotions(const Model& m, Obj3dModel& out, Pt3Names& names) {
    auto* joint = records(out.joint, m.joints.size());
    for (size_t j = 0; j < m.joints.size(); ++j) {
        const Joint& source = m.joints[j];
        joint[j] = {source.parent, real(source.rest[0], "joint position"), real(source.rest[1], "joint position"),
                    real(source.rest[2], "joint position")};
        names.joint.push_back(lineName(source.name));
    }
    size_t frames = 0, keys = 0;
    for (const Motion& motion : m.motions) {
        frames += static_cast<size_t>(motion.frames);
        keys += motion.keys.size();
    }
    auto* motion = records(out.motion, m.motions.size());
    auto* frameno = records(out.frameno, frames);
    auto* keyframe = records(out.keyframe, keys);
    size_t firstFrame = 0, firstKey = 0;
    for (size_t i = 0; i < m.motions.size(); ++i) {
        const Motion& source = m.motions[i];
        motion[i] = {source.frames, count(firstFrame), count(firstKey)};
        names.motion.push_back(lineName(source.name));
        for (int f = 0; f < source.frames; ++f) frameno[firstFrame++] = f;
        for (const Key& k : source.keys)
            keyframe[firstKey++] = {real(k.rotation[1], "key rotation"),
                                    real(k.rotation[2], "key rotation"),
                                    real(k.rotation[3], "key rotation"),
                                    real(k.rotation[0], "key rotation"),
                                    real(k.scale[0], "key scale"),
                                    real(k.scale[1], "key scale"),
                                    real(k.scale[2], "key scale"),
                                    real(k.translation[0], "key translation"),
                                    real(k.translation[1], "key translation"),
                                    real(k.translation[2], "key translation")};
    }
}

void addShapekeys(const Model& m, Obj3dModel& out) {
    // The vertex list is one line of the file.
    size_t line = 0;
    for (const int v : m.shapekeyVertices) line += std::to_string(v).size() + 1;
    if (line > kMaxLine) throw ImportError("the shape keys' vertex list would be longer than a PT3 line holds");
    std::unordered_map<int, int32_t> position;
    auto* vertex = records(out.shapekeyvertex, m.shapekeyVertices.size());
    for (size_t i = 0; i < m.shapekeyVertices.size(); ++i) {
        vertex[i] = m.shapekeyVertices[i];
        position.emplace(vertex[i], count(i));
    }
    size_t data = 0;
    for (const Shapekey& key : m.shapekeys) data += key.vertices.size() * key.frameNumbers.size();
    auto* info = records(out.shapekeyinfo, m.shapekeys.size());
    auto* trans = records(out.shapekeytrans, data);
    size_t record = 0;
    for (size_t k = 0; k < m.shapekeys.size(); ++k) {
        const Shapekey& key = m.shapekeys[k];
        info[k] = {count(key.vertices.size()), count(key.frameNumbers.size()), count(record)};
        for (size_t v = 0; v < key.vertices.size(); ++v) {
            for (size_t f = 0; f < key.frameNumbers.size(); ++f) {
                const Vec3& d = key.offsets[v * key.frameNumbers.size() + f];
                trans[record++] = {position.at(key.vertices[v]), key.frameNumbers[f],
                                   real(d[0], "shape-key displacement"), real(d[1], "shape-key displacement"),
                                   real(d[2], "shape-key displacement")};
            }
        }
    }
}

// The PT3 text of a converted model, written by the library's own writer
// from the tables the library would hold for it.
std::string pt3Text(const Model& m) {
    Obj3dModel tables;
    Pt3Names names;
    auto& h = *records(tables.header, 1);
    h.NumPart = count(m.parts.size());
    h.NumVertex = count(m.vertices.size());
    h.NumFace = count(m.faces.size());
    h.NumMaterial = count(m.materials.size());
    h.normalmode = 1;
    h.skinmode = m.joints.empty() ? 0 : m.motions.empty() ? 1 : 2;
    h.NumJoint = count(m.joints.size());
    h.NumMotion = count(m.motions.size());
    h.NumShapekey = count(m.shapekeys.size());
    h.NumShapekeyVertex = count(m.shapekeyVertices.size());
    addGeometry(m, tables, names);
    addJointsAndMotions(m, tables, names);
    addShapekeys(m, tables);
    h.NumTotalFrame = count(tables.frameno.size());
    h.NumShapekeydata = count(tables.shapekeytrans.size());
    return korvel::model::pt3Text(tables, names);
}

// The library opens paths of at most 511 bytes; the temporary name is 15 longer.
constexpr size_t kMaxOutputPath = 480;

std::wstring wide(const std::string& utf8) {
    std::wstring out;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const size_t extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        unsigned value = extra == 0 ? c : c & (0x3Fu >> extra);
        size_t k = 1;
        for (; k <= extra && i + k < utf8.size(); ++k)
            value = (value << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        out.push_back(static_cast<wchar_t>(value));
        i += k;
    }
    return out;
}

// Files created so far, removed unless the whole write succeeds.
class Created {
public:
    ~Created() {
        if (keep_) return;
        std::error_code ignored;
        for (const fs::path& p : paths_) fs::remove(p, ignored);
    }
    void add(const fs::path& p) { paths_.push_back(p); }
    void keep() { keep_ = true; }

private:
    std::vector<fs::path> paths_;
    bool keep_ = false;
};

void writeTexture(const TextureFile& texture, Created& created) {
    std::error_code error;
    if (!texture.from.empty()) {
        fs::copy_file(texture.from, texture.to, error);
        if (error) throw ImportError("cannot copy texture " + texture.from.string() + ": " + error.message());
        created.add(texture.to);
        return;
    }
    std::ofstream out(texture.to, std::ios::binary);
    if (out.is_open()) created.add(texture.to);
    out.write(texture.bytes.data(), static_cast<std::streamsize>(texture.bytes.size()));
    if (!out.flush()) throw ImportError("cannot write texture " + texture.to.string());
}

fs::path writeTemporary(const std::string& text, const fs::path& output) {
    std::string name = output.string() + ".partial-XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) throw ImportError("cannot create a file next to " + output.string() + ": " + std::strerror(errno));
    // mkstemp makes the file private; the PT3 file gets the usual mode.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    const bool closed = ::close(fd) == 0;
    if (done != text.size() || !closed) {
        std::remove(name.c_str());
        throw ImportError("cannot write " + output.string() + " (disk full?)");
    }
    return name;
}

void readBack(const fs::path& written, const Model& m) {
    const int model = ReadPT3file(wide(written.string()).c_str(), 1, 1.0);
    if (model < 0)
        throw ImportError("the library cannot read the written file back (ReadPT3file " + std::to_string(model) + ")");
    std::array<int, 12> info{};
    Obj3dInfoGet(model, info.data());
    ClearObj3d(model, 1);
    long long frames = 0, records = 0;
    for (const Motion& motion : m.motions) frames += motion.frames;
    for (const Shapekey& k : m.shapekeys) records += static_cast<long long>(k.vertices.size() * k.frameNumbers.size());
    const std::array<long long, 12> expected = {1,
                                                static_cast<long long>(m.vertices.size()),
                                                static_cast<long long>(m.faces.size()),
                                                static_cast<long long>(m.materials.size()),
                                                static_cast<long long>(m.parts.size()),
                                                static_cast<long long>(m.joints.size()),
                                                static_cast<long long>(m.motions.size()),
                                                frames,
                                                static_cast<long long>(m.shapekeys.size()),
                                                static_cast<long long>(m.shapekeyVertices.size()),
                                                records,
                                                0};
    for (size_t i = 0; i < info.size(); ++i)
        if (info[i] != expected[i]) throw ImportError("the library reads the written file back with other counts");
}

}  // namespace

void writeModelFiles(const Model& model, const std::vector<TextureFile>& textures, const fs::path& output) {
    const std::string text = pt3Text(model);
    if (output.string().size() > kMaxOutputPath)
        throw ImportError("the output path is longer than the library opens (" + std::to_string(kMaxOutputPath) +
                          " bytes)");
    std::error_code error;
    if (!fs::is_directory(output.parent_path(), error)) throw ImportError("no folder " + output.parent_path().string());
    if (fs::is_directory(output, error)) throw ImportError(output.string() + " is a folder");
    Created created;
    for (const TextureFile& texture : textures) writeTexture(texture, created);
    const fs::path temporary = writeTemporary(text, output);
    created.add(temporary);
    readBack(temporary, model);
    fs::rename(temporary, output, error);
    if (error) throw ImportError("cannot create " + output.string() + ": " + error.message());
    created.keep();
}

}  // namespace korvel_import
