// The tool's selection and the overlays that show it. The selection is one
// library-wide byte per vertex and per face of the model last prepared, kept
// until the next preparation (device clean-up does not touch it). The
// overlays are drawn after an instance's two passes: triangle edges and
// tinted selected faces (linemode 1) and vertex markers (pointmode 1).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "instance/model_draw.h"

namespace korvel::instance {

// Where the selection is kept (outlives CleanupDevice).
struct ToolSelection {
    std::vector<uint8_t> points;
    std::vector<uint8_t> faces;
};

// Replaces both arrays with zero-filled ones of the model's NumVertex and
// NumFace bytes and writes the two counts to counts[0] and counts[1] (when
// counts is not null). An empty or out-of-range model slot changes nothing.
// Throws std::bad_alloc when the arrays cannot be allocated (the old ones
// are then kept).
void prepareSelection(int model, int* counts);

// Stores the low byte of flag; an index outside the prepared array is ignored.
void setPointSelect(int vertex, int flag);
void setFaceSelect(int face, int flag);

// The prepared arrays (1 = selected).
std::span<const uint8_t> pointSelection();
std::span<const uint8_t> faceSelection();

// Edges only on opaque parts, selected faces tinted, vertex markers on
// opaque parts; arrays prepared for another model (another count) draw no
// overlay of theirs.
void drawToolOverlays(ModelDraw& draw, int pointmode, int linemode);

}  // namespace korvel::instance
