#include "xfile-writer/writer.h"

#include <charconv>
#include <span>

namespace korvel::model::xfile {
namespace {

constexpr int kHeaderLines = 212;

class Text {
public:
    Text& put(std::string_view s) {
        s_.append(s);
        return *this;
    }
    Text& num(float v) {
        char buffer[64];
        return chars(buffer, std::to_chars(buffer, buffer + sizeof buffer, double{v}, std::chars_format::fixed, 6).ptr);
    }
    Text& num(int64_t v) {
        char buffer[24];
        return chars(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
    }
    Text& line(std::string_view s) { return put(s).put("\n"); }
    // Numbers separated by sep.
    Text& list(std::span<const float> values, std::string_view sep) {
        for (size_t i = 0; i < values.size(); ++i) {
            if (i > 0) put(sep);
            num(values[i]);
        }
        return *this;
    }
    std::string take() { return std::move(s_); }

private:
    // By pointer and length: appending an iterator range goes through the
    // string's overlap-aware replace, where GCC 12 at -O3 warns of overlaps
    // that cannot happen.
    Text& chars(const char* first, const char* last) {
        s_.append(first, static_cast<size_t>(last - first));
        return *this;
    }

    std::string s_;
};

// ";," after every element of a list but the last, which ends ";;".
std::string_view listEnd(size_t i, size_t n) { return i + 1 < n ? ";," : ";;"; }

void header(Text& t) {
    t.line("xof 0303txt 0032");
    t.line("// Written in the layout of the paired exporter: the importer skips the");
    t.line("// first 212 lines and finds every block below by fixed line distances.");
    for (int i = 3; i < kHeaderLines; ++i) t.line("//");
}

void identityFrameMatrix(Text& t, std::string_view indent) {
    static constexpr std::array<float, 16> kIdentity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    t.put(indent).line("FrameTransformMatrix {");
    t.put(indent).put(" ").list(kIdentity, ",").line(";;");
    t.put(indent).line("}");
}

void material(Text& t, const XMaterial& m) {
    t.line("     Material {");
    t.put("      ").list(m.diffuse, ";").line(";;");
    t.put("      ").num(m.power).line(";");
    t.put("      ").list(m.specular, ";").line(";;");
    t.put("      ").list(m.emissive, ";").line(";;");
    if (!m.texture.empty()) {
        t.line("      TextureFilename {");
        t.put("       \"").put(m.texture).line("\";");
        t.line("      }");
    }
    t.line("     }");
}

void skin(Text& t, const XMesh& mesh) {
    t.line("    XSkinMeshHeader {");
    t.line("     2;");
    t.line("     3;");
    t.put("     ").num(static_cast<int64_t>(mesh.bones.size())).line(";");
    t.line("    }");
    for (const XBone& bone : mesh.bones) {
        t.line("    SkinWeights {");
        t.put("     \"").put(bone.name).line("\";");
        const size_t n = bone.vertices.size();
        t.put("     ").num(static_cast<int64_t>(n)).line(";");
        if (n == 0) {
            t.line("     ;").line("     ;");
        }
        for (size_t i = 0; i < n; ++i) t.put("     ").num(int64_t{bone.vertices[i]}).line(i + 1 < n ? "," : ";");
        for (size_t i = 0; i < n; ++i) t.put("     ").num(bone.weights[i]).line(i + 1 < n ? "," : ";");
        t.line(
            "     1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,0.000000,0.000000,"
            "1.000000,0.000000,0.000000,0.000000,0.000000,1.000000;;");
        t.line("    }");
    }
}

void mesh(Text& t, const XMesh& m, bool withSkin) {
    t.put(" Frame ").put(m.name).line("_Frame {");
    identityFrameMatrix(t, "  ");
    t.put("   Mesh ").put(m.name).line(" {");
    const size_t nv = m.positions.size();
    const size_t nf = m.triangles.size();
    t.put("    ").num(static_cast<int64_t>(nv)).line(";");
    for (size_t i = 0; i < nv; ++i) t.put("    ").list(m.positions[i], ";").line(listEnd(i, nv));
    t.put("    ").num(static_cast<int64_t>(nf)).line(";");
    for (size_t i = 0; i < nf; ++i) {
        const auto& c = m.triangles[i];
        t.put("    3;").num(int64_t{c[0]}).put(",").num(int64_t{c[1]}).put(",").num(int64_t{c[2]}).line(listEnd(i, nf));
    }
    t.line("    MeshTextureCoords {");
    t.put("     ").num(static_cast<int64_t>(nv)).line(";");
    for (size_t i = 0; i < nv; ++i) t.put("     ").list(m.texcoords[i], ";").line(listEnd(i, nv));
    t.line("    }");
    t.line("    MeshMaterialList {");
    t.put("     ").num(static_cast<int64_t>(m.materials.size())).line(";");
    t.put("     ").num(static_cast<int64_t>(nf)).line(";");
    for (size_t i = 0; i < nf; ++i) t.put("     ").num(int64_t{m.faceMaterials[i]}).line(i + 1 < nf ? "," : ";");
    for (const XMaterial& mat : m.materials) material(t, mat);
    t.line("    }");
    if (withSkin) skin(t, m);
    t.line("   }");
    t.line(" }");
}

// A joint frame: the frame line, three lines, the matrix, two lines; then
// its children and its closing brace.
void jointFrames(Text& t, const XScene& scene, int32_t parent, int depth) {
    const std::string indent(static_cast<size_t>(depth) + 1, ' ');
    for (size_t j = 0; j < scene.joints.size(); ++j) {
        const XJoint& joint = scene.joints[j];
        if (joint.parent != parent) continue;
        t.put(indent).put("Frame ").put(joint.name).line(" {");
        t.line("");
        t.put(indent).line(" FrameTransformMatrix {");
        t.put(indent).line("  // row by row, translation in the last row");
        t.put(indent).put("  ").list(joint.matrix, ",").line(";;");
        t.put(indent).line(" }");
        t.line("");
        jointFrames(t, scene, static_cast<int32_t>(j), depth + 1);
        t.put(indent).line("}");
    }
}

void skeleton(Text& t, const XScene& scene) {
    t.line(" Frame ReplacedName2 {");
    t.line("");
    identityFrameMatrix(t, "  ");
    t.line("  // joint frames");
    t.line("");
    jointFrames(t, scene, -1, 1);
    t.line(" }");
}

void keyBlock(Text& t, int type, std::string_view what, size_t n) {
    t.line("  AnimationKey {");
    t.put("   // ").line(what);
    t.put("   ").num(int64_t{type}).line(";");
    t.line("   // key count");
    t.put("   ").num(static_cast<int64_t>(n)).line(";");
}

template <size_t N>
void keys(Text& t, const std::vector<int32_t>& times, const std::vector<std::array<float, N>>& values) {
    const size_t n = times.size();
    for (size_t f = 0; f < n; ++f) {
        t.put("   ").num(int64_t{times[f]}).put(";").num(static_cast<int64_t>(N)).put(";");
        t.list(values[f], ",").line(f + 1 < n ? ";;," : ";;;");
    }
    t.line("  }");
}

void animationSet(Text& t, const XAnimationSet& set) {
    t.put("AnimationSet ").put(set.name).line(" {");
    for (const XAnimation& a : set.animations) {
        const size_t n = a.times.size();
        t.line(" Animation {");
        keyBlock(t, 0, "rotation keys: time;4;w,x,y,z", n);
        keys(t, a.times, a.rotations);
        keyBlock(t, 1, "scale keys: time;3;x,y,z", n);
        keys(t, a.times, a.scales);
        keyBlock(t, 2, "translation keys: time;3;x,y,z", n);
        keys(t, a.times, a.translations);
        t.line("  // the animated frame");
        t.put("  { ").put(a.target).line(" }");
        t.line(" }");
        t.line("");
    }
    t.line("}");
}

}  // namespace

std::string writeXText(const XScene& scene) {
    Text t;
    header(t);
    t.line("Frame Scene_Root {");
    identityFrameMatrix(t, " ");
    for (const XMesh& m : scene.meshes) mesh(t, m, scene.skin);
    if (!scene.joints.empty()) skeleton(t, scene);
    t.line("}");
    for (const XAnimationSet& set : scene.sets) {
        t.line("");
        animationSet(t, set);
    }
    return t.take();
}

}  // namespace korvel::model::xfile
