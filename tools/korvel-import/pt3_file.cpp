#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string_view>

#include "Korvelv0.h"
#include "converter.h"

namespace korvel_import {

namespace fs = std::filesystem;

namespace {

// The reader keeps 510 characters of a line.
constexpr size_t kMaxLine = 510;
constexpr double kMaxMagnitude = 1e7;

// Fields with their semicolons, "%d" and "%f" as printf writes them in the
// "C" locale, one line at a time.
class Lines {
public:
    Lines& text(std::string_view s) {
        line_.append(s);
        return *this;
    }
    Lines& d(long long v) {
        char buffer[24];
        return digits(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
    }
    Lines& f(double v, const char* what) {
        if (!std::isfinite(v) || std::fabs(v) > kMaxMagnitude)
            throw ImportError(std::string("a ") + what + " is not a number within +-10,000,000 (after -s)");
        char buffer[64];
        return digits(buffer, std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 6).ptr);
    }
    Lines& f3(const Vec3& v, const char* what) { return f(v[0], what).f(v[1], what).f(v[2], what); }
    Lines& name(const std::string& s) {
        std::string safe = s.substr(0, 100);
        std::replace_if(
            safe.begin(), safe.end(), [](char c) { return c == ';' || c == '\n' || c == '\r'; }, '_');
        return text(safe).text(";");
    }
    // By pointer and length: appending an iterator range goes through the
    // string's replace path, where GCC 12 at -O3 reports a false overlap.
    Lines& digits(const char* first, const char* last) {
        line_.append(first, static_cast<size_t>(last - first));
        return text(";");
    }
    // Ends the line; fits reports whether it stayed within the reader's limit.
    void end() {
        if (line_.size() > kMaxLine) throw ImportError("a PT3 line would be longer than the reader takes");
        out_.append(line_).append("\n");
        line_.clear();
    }
    bool fits(size_t more) const { return line_.size() + more <= kMaxLine; }
    std::string take() { return std::move(out_); }

private:
    std::string line_, out_;
};

int byte(double c) { return static_cast<int>(std::lround(std::clamp(c, 0.0, 1.0) * 255.0)); }

void writeGeometry(Lines& out, const Model& m) {
    const bool skin = !m.joints.empty();
    out.text(
        "vertexno;1;originalvertexno;1;partno;1;matno;1;posx;1;posy;1;posz;1;texu;1;texv;1;normx;1;normy;1;"
        "normz;1;");
    out.text(skin ? "jointno0;1;weight0;1;jointno1;1;weight1;1;" : "jointno0;0;weight0;0;jointno1;0;weight1;0;").end();
    for (size_t i = 0; i < m.vertices.size(); ++i) {
        const Vertex& v = m.vertices[i];
        out.d(static_cast<long long>(i)).d(v.original).d(v.part).d(v.material);
        out.f3(v.position, "vertex position").f(v.u, "texture coordinate").f(v.v, "texture coordinate");
        out.f3(v.normal, "normal");
        if (skin) out.d(v.joint[0]).f(v.weight[0], "weight").d(v.joint[1]).f(v.weight[1], "weight");
        out.end();
    }
    out.text("faceno;1;partno;1;matno;1;vertexno[0];1;vertexno[1];1;vertexno[2];1;").end();
    for (size_t i = 0; i < m.faces.size(); ++i) {
        const Face& f = m.faces[i];
        out.d(static_cast<long long>(i)).d(f.part).d(f.material).d(f.vertex[0]).d(f.vertex[1]).d(f.vertex[2]).end();
    }
    out.text(
           "matno;1;faceColorR;1;faceColorG;1;faceColorB;1;alpha;1;power;1;specularColorR;1;specularColorG;1;"
           "specularColorB;1;emissiveColorR;1;emissiveColorG;1;emissiveColorB;1;texfilenameornot;1;matname;1;")
        .end();
    for (size_t i = 0; i < m.materials.size(); ++i) {
        const Material& mat = m.materials[i];
        out.d(static_cast<long long>(i));
        for (double c : mat.diffuse) out.d(byte(c));
        out.f(mat.alpha, "material alpha").f(mat.power, "specular power");
        for (double c : mat.specular) out.d(byte(c));
        for (double c : mat.emissive) out.d(byte(c));
        out.text(mat.texture.empty() ? "None" : mat.texture).text(";");
        out.name(mat.name.empty() ? "matname" + std::to_string(i) : mat.name).end();
    }
}

void writeMotions(Lines& out, const Model& m) {
    out.text("motionno;1;numframe;1;frameno;1;motionname;1;").end();
    for (size_t i = 0; i < m.motions.size(); ++i) {
        const Motion& motion = m.motions[i];
        out.d(static_cast<long long>(i)).d(motion.frames);
        // The frame numbers are for people reading the file (the key lines
        // carry them too); a long motion leaves them out to keep the line
        // within the reader's limit.
        if (out.fits(static_cast<size_t>(motion.frames) * 7 + 110))
            for (int f = 0; f < motion.frames; ++f) out.d(f);
        out.name(motion.name.empty() ? "motion" + std::to_string(i) : motion.name).end();
    }
    out.text(
           "motionno;1;jointno;1;frameno;1;scalex;1;scaley;1;scalez;1;rot4w;1;rot4x;1;rot4y;1;rot4z;1;transx;1;"
           "transy;1;transz;1;")
        .end();
    long long written = 0;
    for (size_t i = 0; i < m.motions.size(); ++i) {
        const Motion& motion = m.motions[i];
        for (size_t j = 0; j < m.joints.size(); ++j) {
            for (int f = 0; f < motion.frames; ++f) {
                const Key& k = motion.keys[j * static_cast<size_t>(motion.frames) + static_cast<size_t>(f)];
                out.d(static_cast<long long>(i)).d(static_cast<long long>(j)).d(f);
                out.f3(k.scale, "key scale");
                for (double q : k.rotation) out.f(q, "key rotation");
                out.f3(k.translation, "key translation").end();
                ++written;
            }
        }
    }
    // The format sizes the key table frames x motions x joints; the lines
    // past the keys are padding with a joint number no joint has.
    long long total = 0;
    for (const Motion& motion : m.motions) total += motion.frames;
    total *= static_cast<long long>(m.motions.size() * m.joints.size());
    for (; written < total; ++written) {
        out.d(static_cast<long long>(m.motions.size()) - 1).d(static_cast<long long>(m.joints.size())).d(0);
        out.text("0.000000;0.000000;0.000000;0.000000;0.000000;0.000000;0.000000;0.000000;0.000000;0.000000;").end();
    }
}

void writeShapekeys(Lines& out, const Model& m) {
    out.text("shapekeyno;1;numvertex;1;numframe;1;").end();
    for (size_t k = 0; k < m.shapekeys.size(); ++k) {
        const Shapekey& key = m.shapekeys[k];
        out.d(static_cast<long long>(k)).d(static_cast<long long>(key.vertices.size()));
        out.d(static_cast<long long>(key.frameNumbers.size())).name(key.name).end();
    }
    out.text("shapekeyvertex;1;").end();
    for (int v : m.shapekeyVertices) out.d(v);
    out.end();
    out.text("shapekeydatano;1;vertexno;1;frameno;1;dx;1;dy;1;dz;1;").end();
    long long record = 0;
    for (const Shapekey& key : m.shapekeys) {
        for (size_t v = 0; v < key.vertices.size(); ++v) {
            for (size_t f = 0; f < key.frameNumbers.size(); ++f) {
                out.d(record++).d(key.vertices[v]).d(key.frameNumbers[f]);
                out.f3(key.offsets[v * key.frameNumbers.size() + f], "shape-key displacement").end();
            }
        }
    }
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

// The PT3 text of a converted model.
std::string pt3Text(const Model& m) {
    long long frames = 0, records = 0;
    for (const Motion& motion : m.motions) frames += motion.frames;
    for (const Shapekey& key : m.shapekeys)
        records += static_cast<long long>(key.vertices.size() * key.frameNumbers.size());
    Lines out;
    out.text("NumVertex;").d(static_cast<long long>(m.vertices.size()));
    out.text("NumFace;").d(static_cast<long long>(m.faces.size()));
    out.text("NumMaterial;").d(static_cast<long long>(m.materials.size()));
    out.text("NumPart;").d(static_cast<long long>(m.parts.size()));
    out.text("NumJoint;").d(static_cast<long long>(m.joints.size()));
    out.text("NumMotion;").d(static_cast<long long>(m.motions.size())).text("NumTotalFrame;").d(frames);
    out.text("NumShapekey;").d(static_cast<long long>(m.shapekeys.size()));
    out.text("NumShapekeyVertex;").d(static_cast<long long>(m.shapekeyVertices.size()));
    out.text("NumShapekeydata;").d(records).text("NumParticlehairFace;").d(0).end();
    writeGeometry(out, m);
    if (m.joints.empty() && m.motions.empty() && m.shapekeys.empty()) return out.take();
    out.text("partno;1;partname;1;").end();
    for (size_t p = 0; p < m.parts.size(); ++p) out.d(static_cast<long long>(p)).name(m.parts[p].name).end();
    if (!m.joints.empty()) {
        out.text(
               "jointno;1;parentjointno;1;parentposx;1;parentposy;1;parentposz;1;ownposx;0;ownposy;0;ownposz;0;"
               "jointname;1;")
            .end();
        for (size_t j = 0; j < m.joints.size(); ++j) {
            const Joint& joint = m.joints[j];
            out.d(static_cast<long long>(j)).d(joint.parent).f3(joint.rest, "joint position").name(joint.name).end();
        }
    }
    if (!m.motions.empty()) writeMotions(out, m);
    if (!m.shapekeys.empty()) writeShapekeys(out, m);
    return out.take();
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
