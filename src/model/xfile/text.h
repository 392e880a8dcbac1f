// The X importer's view of the file's text: the kind of file it is, its lines
// read as the C library reads them, formatted scanning of a line with the
// rules of sscanf, and the line patterns of the paired exporter's layout.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

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

// Whether some line of the file opens a Mesh block.
bool holdsMeshBlock(std::string_view bytes);

// The X importer's view of the file: lines read as a C text-mode fgets with a
// 512-byte buffer reads them (at most 511 bytes with the '\n', a longer line
// split; "\r\n" counts as '\n'), a position that a pass can return to, and
// the small helpers the passes share. Past the end of the text every line
// reads as empty, so no pass can loop on stale text.

class XLines {
public:
    explicit XLines(std::string_view text) : text_(text) { line_[0] = '\0'; }

    // Reads the next line; false (and an empty line) at the end.
    bool next();
    const char* line() const { return line_.data(); }
    // Skips n lines (none when n is 0 or less), stopping at the end.
    void skip(int64_t n);
    // Reads lines until one matches the pattern; false at the end.
    bool until(std::string_view pattern);
    // The next line's "%d"; 0 when it does not convert.
    int32_t count();

    size_t position() const { return pos_; }
    void seek(size_t position) {
        pos_ = position;
        line_[0] = '\0';
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
    std::array<char, 512> line_{};
};

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

// Formatted scanning of X file lines with the rules of C sscanf in the "C"
// locale, whatever the process locale is: a blank in the format matches any
// amount of white space, including none; %d and %f skip white space first,
// %c takes the next character as it is; any other format character must
// match exactly. A scan stops for good at the first mismatch, so targets
// after it keep their values.

// Where one conversion of a format stores its value.
struct ScanTarget {
    ScanTarget(int32_t* p) : integer(p) {}
    ScanTarget(float* p) : real(p) {}
    ScanTarget(char* p) : character(p) {}
    int32_t* integer = nullptr;
    float* real = nullptr;
    char* character = nullptr;
};

// Scans line with format, storing conversions into targets in order;
// returns how many conversions were stored.
int scanLine(const char* line, std::string_view format, std::initializer_list<ScanTarget> targets);

// Whether a format that ends in "%c" converts that final %c on the line:
// the test for the block and key patterns of the X layout.
bool matchesPattern(const char* line, std::string_view pattern);

// The line patterns of the X layout the importer reads: block openings that
// must convert their final %c, and the value lines' formats.
namespace pattern {

inline constexpr std::string_view kMesh = "   Mesh %c";
inline constexpr std::string_view kTextureCoords = "    MeshTextureCoords %c";
inline constexpr std::string_view kMaterialList = "    MeshMaterialList %c";
inline constexpr std::string_view kMaterial = "     Material %c";
inline constexpr std::string_view kTextureFilename = "      TextureFilename %c";
inline constexpr std::string_view kSkinHeader = "    XSkinMeshHeader %c";
inline constexpr std::string_view kSkinWeights = "    SkinWeights %c";
inline constexpr std::string_view kJointRoot = " Frame ReplacedName2 %c";
inline constexpr std::string_view kAnimationSet = "AnimationSet %c";
inline constexpr const char* kJointMark = "_Joint";

inline constexpr std::string_view kPosition = " %f;%f;%f;";
inline constexpr std::string_view kTriangle = "    3;%d,%d,%d;,";
inline constexpr std::string_view kTexCoord = " %f;%f;,";
inline constexpr std::string_view kFaceMaterial = "    %d,";
inline constexpr std::string_view kDiffuse = "      %f;%f;%f;%f;;";
inline constexpr std::string_view kPower = "      %f;";
inline constexpr std::string_view kColour = "      %f;%f;%f;;";
inline constexpr std::string_view kWeight = "%f";
inline constexpr std::string_view kIndex = "%d";
inline constexpr std::string_view kMatrix = "     %f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f;;";
inline constexpr std::string_view kRotationKey = "     %d;%d;%f,%f,%f,%f;;,";
inline constexpr std::string_view kVectorKey = "     %d;%d;%f,%f,%f;;,";

}  // namespace pattern

}  // namespace korvel::model::xfile
