// Vertex normals of an imported X model. Each unsplit vertex v (one whose
// originalvertexno is -1) sums, over every corner c of a face of v's part
// where c is v or a copy of v, the corner's angle times the unit normal of
// the face's plane: with a and b the face's next corners after c in cyclic
// order, e1 = a - c, e2 = b - c, the sum gains
// acos(clamp(e1.e2 / (|e1| |e2|), -1, 1)) * normalise(e1 x e2).
// Contributions are added in face order, corner by corner, so the float sums
// are the same whatever way the faces are visited. A degenerate corner is
// skipped: one of a face without area (a zero-length edge, as a face
// collapsed by merging has, or three points on a line) or one whose term is
// not finite (coordinates too large, or not numbers).
// normal(v) = normalise(sum), or (0, 0, 1) when every corner of v was
// degenerate (a vertex of no face keeps the zero vector); every copy takes
// its source's normal. No normal is ever NaN.
#pragma once

#include <span>
#include <vector>

#include "model/records.h"

namespace korvel::model::xfile {

// Corners and originalvertexno values must lie within the vertices.
std::vector<Obj3dNormal> vertexNormals(std::span<const Obj3dVertex> vertices, std::span<const Obj3dFace> faces);

}  // namespace korvel::model::xfile
