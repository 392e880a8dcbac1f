// What kind of X file the importer was given, judged before any pass: the
// format named by the 16-byte header ("xof 0303txt 0032": magic, version,
// format "txt ", "bin ", "tzip" or "bzip", float size), and whether lines
// open Mesh blocks, which tells another exporter's layout from a file
// without meshes.
#pragma once

#include <string_view>

namespace korvel::model::xfile {

enum class XFormat { text, binary, compressed };

// The header's format; bytes without an X header are read as text.
XFormat formatOf(std::string_view bytes);

// Whether the line opens a Mesh block: "Mesh" as its first word, followed by
// a blank or '{' (not MeshNormals, not "template Mesh").
bool opensMeshBlock(std::string_view line);

// Whether some line of the file opens a Mesh block.
bool holdsMeshBlock(std::string_view bytes);

}  // namespace korvel::model::xfile
