// The X importer's view of the file's text: the kind of file it is, its lines
// read as the C library reads them, and the line patterns of the paired
// exporter's layout.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/text_scan.h"
#include "model/xfile/scan_format.h"

namespace korvel::model::xfile {

// What kind of X file the importer was given, judged before any pass: the
// format named by the 16-byte header ("xof 0303txt 0032": magic, version,
// format "txt ", "bin ", "tzip" or "bzip", float size), and whether lines
// open Mesh blocks, which tells another exporter's layout from a file
// without meshes.

enum class XFormat { text, binary, compressed };

// The header's format; bytes without an X header are read as text.
XFormat formatOf(std::string_view bytes);

// Whether the line opens a Mesh block: "Mesh" as its first word, followed by
// a blank or '{' (not MeshNormals, not "template Mesh").
bool opensMeshBlock(std::string_view line);

// The X importer's view of the file: its lines as LineReader gives them (as
// a C text-mode fgets with a 512-byte buffer reads them, without the line
// end), a return to a line for the next pass, and the small helpers the
// passes share. Past the end of the text every line reads as empty, so
// no pass can loop on stale text.

class XLines {
public:
    explicit XLines(TextSource& text) : lines_(text) {}

    // Reads the next line; false (and an empty line) at the end.
    bool next() {
        const bool more = lines_.next();
        line_ = more ? lines_.line() : "";
        return more;
    }
    const char* line() const { return line_; }
    // Skips n lines (none when n is 0 or less), stopping at the end.
    void skip(int64_t n);
    // Reads lines until one matches the pattern; false at the end. Lines
    // without the pattern's literal text cannot match and are passed over
    // unsplit.
    template <ScanFormat Pattern>
    bool until() {
        static_assert(!requiredText<Pattern>().empty(), "a pattern to search for holds literal text");
        for (;;) {
            lines_.passLinesWithout(requiredText<Pattern>());
            if (!next()) return false;
            if (matchesPattern<Pattern>(line())) return true;
        }
    }
    // The next line's "%d"; 0 when it does not convert.
    int32_t count();
    // Back before the first line; false when the text cannot be read again
    // (the passes then see no more lines).
    bool rewind() {
        line_ = "";
        return lines_.rewind();
    }
    // Where the current line and the next one start, and back to where a
    // line starts for a later pass, which skips the text before it without
    // splitting lines.
    uint64_t lineOffset() const { return lines_.lineOffset(); }
    uint64_t position() const { return lines_.position(); }
    bool seek(uint64_t offset) {
        line_ = "";
        return lines_.seek(offset);
    }

private:
    LineReader lines_;
    const char* line_ = "";
};

// Whether a line from the current position on opens a Mesh block.
bool holdsMeshBlock(XLines& lines);

// Names live in 50-byte fields.
inline constexpr size_t kNameMax = 49;
// Texture file names are at most 255 bytes.
inline constexpr size_t kTextureNameMax = 255;

// The text of line from offset start up to the first `end` character after
// it, without that text's last character; empty when `end` does not follow
// or start lies past the line. At most kNameMax bytes.
std::string nameBefore(const char* line, size_t start, char end);
// The text between the line's first two double quotes, at most max bytes;
// empty when there are fewer than two.
std::string quoted(const char* line, size_t max);

// The line patterns of the X layout the importer reads: block openings that
// must convert their final %c, and the value lines' formats. Lines come
// without their end, which a blank would pass over: every %c here follows a
// blank, so no scan can tell.
namespace pattern {

inline constexpr ScanFormat kMesh = "   Mesh %c";
inline constexpr ScanFormat kTextureCoords = "    MeshTextureCoords %c";
inline constexpr ScanFormat kMaterialList = "    MeshMaterialList %c";
inline constexpr ScanFormat kMaterial = "     Material %c";
inline constexpr ScanFormat kTextureFilename = "      TextureFilename %c";
inline constexpr ScanFormat kSkinHeader = "    XSkinMeshHeader %c";
inline constexpr ScanFormat kSkinWeights = "    SkinWeights %c";
inline constexpr ScanFormat kJointRoot = " Frame ReplacedName2 %c";
inline constexpr ScanFormat kAnimationSet = "AnimationSet %c";
inline constexpr const char* kJointMark = "_Joint";

inline constexpr ScanFormat kPosition = " %f;%f;%f;";
inline constexpr ScanFormat kTriangle = "    3;%d,%d,%d;,";
inline constexpr ScanFormat kTexCoord = " %f;%f;,";
inline constexpr ScanFormat kFaceMaterial = "    %d,";
inline constexpr ScanFormat kDiffuse = "      %f;%f;%f;%f;;";
inline constexpr ScanFormat kPower = "      %f;";
inline constexpr ScanFormat kColour = "      %f;%f;%f;;";
inline constexpr ScanFormat kWeight = "%f";
inline constexpr ScanFormat kIndex = "%d";
inline constexpr ScanFormat kMatrix = "     %f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f;;";
inline constexpr ScanFormat kRotationKey = "     %d;%d;%f,%f,%f,%f;;,";
inline constexpr ScanFormat kVectorKey = "     %d;%d;%f,%f,%f;;,";

}  // namespace pattern

}  // namespace korvel::model::xfile
