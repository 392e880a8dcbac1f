#include "written_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "Korvelv0.h"
#include "import_error.h"
#include "pt3_text.h"

namespace korvel_import {

namespace fs = std::filesystem;

namespace {

// The library opens paths of at most 511 bytes; the temporary name is 15 longer.
constexpr size_t kMaxOutputPath = 480;

std::wstring wide(const std::string& utf8) {
    std::wstring out;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const size_t extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        unsigned value = extra == 0 ? c : c & (0x3Fu >> extra);
        size_t k = 1;
        for (; k <= extra && i + k < utf8.size(); ++k) value = (value << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
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
    if (model < 0) throw ImportError("the library cannot read the written file back (ReadPT3file " + std::to_string(model) + ")");
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
        throw ImportError("the output path is longer than the library opens (" + std::to_string(kMaxOutputPath) + " bytes)");
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
