#include "converter.h"

#include <assimp/material.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <system_error>

namespace korvel_import {

namespace fs = std::filesystem;

namespace {

Vec3 colour(const aiMaterial& m, const char* key, unsigned type, unsigned index, Vec3 fallback) {
    aiColor3D c;
    if (m.Get(key, type, index, c) != aiReturn_SUCCESS) return fallback;
    return {c.r, c.g, c.b};
}

double real(const aiMaterial& m, const char* key, unsigned type, unsigned index, double fallback) {
    float value = 0;
    return m.Get(key, type, index, value) == aiReturn_SUCCESS ? value : fallback;
}

bool readableFile(const fs::path& p) {
    std::error_code error;
    return !p.empty() && fs::is_regular_file(p, error);
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool readableFormat(const fs::path& name) {
    static const char* const kExtensions[] = {".png", ".jpg", ".jpeg", ".bmp", ".tga", ".gif", ".dds"};
    const std::string extension = lower(name.extension().string());
    return std::any_of(std::begin(kExtensions), std::end(kExtensions), [&](const char* e) { return extension == e; });
}

// A name the PT3 material line can hold: no separators of the format, at
// most 200 bytes.
std::string safeName(std::string name) {
    for (char& c : name)
        if (c == ';' || c == '\n' || c == '\r') c = '_';
    if (name.size() > 200) name.erase(0, name.size() - 200);
    return name;
}

// Whether the existing file at to already holds the texture (the file it
// would copy, or the embedded bytes).
bool alreadyHolds(const fs::path& to, const fs::path& from, const std::string& bytes) {
    std::error_code error;
    if (!from.empty() && fs::equivalent(from, to, error)) return true;
    const auto size = fs::file_size(to, error);
    if (error || size != (from.empty() ? bytes.size() : fs::file_size(from, error)) || error) return false;
    std::ifstream existing(to, std::ios::binary);
    std::ifstream copied;
    if (!from.empty()) copied.open(from, std::ios::binary);
    size_t offset = 0;
    char a[65536], b[65536];
    while (existing.read(a, sizeof a) || existing.gcount() > 0) {
        const auto n = static_cast<size_t>(existing.gcount());
        if (from.empty()) {
            if (bytes.compare(offset, n, a, n) != 0) return false;
        } else if (!copied.read(b, static_cast<std::streamsize>(n)) || !std::equal(a, a + n, b)) {
            return false;
        }
        offset += n;
    }
    return offset == size;
}

class TexturePlanner {
public:
    TexturePlanner(const fs::path& source, const fs::path& output, std::vector<TextureFile>& files)
        : sourceFolder_(source.parent_path()),
          outputFolder_(output.parent_path()),
          stem_(output.stem().string()),
          files_(files) {}

    // The name to write for a texture found at from (or embedded, with
    // bytes), reusing a name planned before for the same file.
    std::string place(const fs::path& from, std::string bytes, std::string name) {
        for (const TextureFile& f : files_)
            if ((!from.empty() && f.from == from) || (from.empty() && !bytes.empty() && f.bytes == bytes))
                return f.to.filename().string();
        name = safeName(name);
        const fs::path stem = fs::path(name).stem(), extension = fs::path(name).extension();
        for (int n = 0; n < 1000; ++n) {
            const std::string candidate = n == 0 ? name : stem.string() + "_" + std::to_string(n) + extension.string();
            const fs::path to = outputFolder_ / candidate;
            if (taken(to)) continue;
            std::error_code error;
            if (fs::exists(to, error) || error) {
                if (readableFile(to) && alreadyHolds(to, from, bytes)) return candidate;
                continue;
            }
            files_.push_back({from, std::move(bytes), to});
            return candidate;
        }
        return {};
    }

    const fs::path& sourceFolder() const { return sourceFolder_; }
    const std::string& stem() const { return stem_; }

private:
    bool taken(const fs::path& to) const {
        return std::any_of(files_.begin(), files_.end(), [&](const TextureFile& f) { return f.to == to; });
    }

    fs::path sourceFolder_, outputFolder_;
    std::string stem_;
    std::vector<TextureFile>& files_;
};

std::string textureName(const aiScene& scene, const aiString& written, unsigned material, TexturePlanner& planner,
                        std::vector<std::string>& warnings) {
    const std::string name = written.C_Str();
    if (const aiTexture* embedded = scene.GetEmbeddedTexture(written.C_Str())) {
        if (embedded->mHeight != 0 || embedded->pcData == nullptr) {
            warnings.push_back("texture " + name + " is embedded uncompressed; the material is left untextured");
            return {};
        }
        std::string hint;
        for (char c : std::string(embedded->achFormatHint, strnlen(embedded->achFormatHint, HINTMAXTEXTURELEN)))
            if (std::isalnum(static_cast<unsigned char>(c))) hint += c;
        const std::string file = planner.stem() + "_texture" + std::to_string(material) + "." + hint;
        if (!readableFormat(file))
            warnings.push_back("embedded texture " + file + " is in a format the library may not read");
        const auto* bytes = reinterpret_cast<const char*>(embedded->pcData);
        return planner.place({}, std::string(bytes, embedded->mWidth), file);
    }
    const fs::path found = findTexture(name, planner.sourceFolder());
    if (found.empty()) {
        warnings.push_back("texture " + name + " not found; the material is left untextured");
        return {};
    }
    if (!readableFormat(found))
        warnings.push_back("texture " + found.string() + " is in a format the library may not read");
    return planner.place(fs::absolute(found), {}, found.filename().string());
}

// The file at candidate, or one in the same folder whose name differs only
// in case (files made on systems that ignore it); empty when none. At most
// the first 10,000 entries of the folder are looked at.
fs::path withAnyCase(const fs::path& candidate) {
    if (readableFile(candidate)) return candidate;
    std::error_code error;
    const std::string wanted = lower(candidate.filename().string());
    fs::directory_iterator entries(candidate.parent_path(), error);
    for (int seen = 0; !error && entries != fs::directory_iterator() && seen < 10000; entries.increment(error), ++seen)
        if (lower(entries->path().filename().string()) == wanted && readableFile(entries->path()))
            return entries->path();
    return {};
}

}  // namespace

fs::path findTexture(const std::string& written, const fs::path& sourceFolder) {
    std::string generic = written;
    std::replace(generic.begin(), generic.end(), '\\', '/');
    if (generic.empty()) return {};
    const fs::path asWritten(generic);
    if (asWritten.is_absolute() && readableFile(asWritten)) return asWritten;
    if (asWritten.is_relative() && readableFile(sourceFolder / asWritten)) return sourceFolder / asWritten;
    std::vector<std::string> names;
    for (const fs::path& part : asWritten.relative_path()) {
        const std::string s = part.string();
        if (!s.empty() && s != "." && s != ".." && s.back() != ':') names.push_back(s);
    }
    fs::path folder = sourceFolder;
    for (int up = 0; up <= 3; ++up, folder = folder.parent_path()) {
        fs::path tail;
        for (size_t k = 1; k <= std::min<size_t>(4, names.size()); ++k) {
            const fs::path name(names[names.size() - k]);
            tail = k == 1 ? name : name / tail;
            if (const fs::path found = withAnyCase(folder / tail); !found.empty()) return found;
        }
        if (!folder.has_relative_path()) break;
    }
    return {};
}

void addMaterials(const aiScene& scene, const std::vector<unsigned>& sceneMaterials, const fs::path& source,
                  const fs::path& output, Model& model, std::vector<TextureFile>& files,
                  std::vector<std::string>& warnings) {
    TexturePlanner planner(source, output, files);
    for (unsigned index : sceneMaterials) {
        const aiMaterial& m = *scene.mMaterials[index];
        Material out;
        out.name = m.GetName().C_Str();
        out.diffuse = colour(m, AI_MATKEY_COLOR_DIFFUSE, out.diffuse);
        out.alpha = real(m, AI_MATKEY_OPACITY, 1.0);
        out.power = real(m, AI_MATKEY_SHININESS, 0.0);
        out.specular = colour(m, AI_MATKEY_COLOR_SPECULAR, out.specular);
        out.emissive = colour(m, AI_MATKEY_COLOR_EMISSIVE, out.emissive);
        aiString texture;
        if (m.GetTexture(aiTextureType_DIFFUSE, 0, &texture) == aiReturn_SUCCESS ||
            m.GetTexture(aiTextureType_BASE_COLOR, 0, &texture) == aiReturn_SUCCESS)
            out.texture = textureName(scene, texture, static_cast<unsigned>(model.materials.size()), planner, warnings);
        model.materials.push_back(out);
    }
}

}  // namespace korvel_import
