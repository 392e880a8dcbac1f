// The PT3 file an import writes, byte for byte, for a small skinned and
// animated file, and a texture that does not load written as None.
#include <gtest/gtest.h>

#include "xfile_test_support.h"

namespace korvel::model::xfile {
namespace {

using namespace testing;

XScene tinyScene() {
    XScene s;
    s.skin = true;
    XMaterial m;
    m.diffuse = {1.0f, 0.5f, 0.0f, 1.0f};
    m.power = 2.0f;
    m.emissive = {0.2f, 0.2f, 0.2f};
    m.texture = "t.png";
    s.meshes = {XMesh{"Tri",
                      {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
                      {{0, 0}, {1, 0}, {0, 1}},
                      {{0, 1, 2}},
                      {0},
                      {m},
                      {{"Root_Joint", {0, 1}, {1.0f, 0.5f}}, {"Tip_Joint", {1, 2}, {0.5f, 1.0f}}}}};
    XJoint root{"Root_Joint", -1, {}};
    root.matrix[12] = 1.0f;
    XJoint tip{"Tip_Joint", 0, {}};
    tip.matrix[13] = 2.0f;
    s.joints = {root, tip};
    XAnimation a{"Root_Joint", {0, 10}, {{1, 0, 0, 0}, {0.7071f, 0.7071f, 0, 0}}, {{1, 1, 1}, {2, 2, 2}}, {{0, 0, 0}, {0, 1, 0}}};
    XAnimation b = a;
    b.target = "Tip_Joint";
    s.sets = {{"Act", {a, b}}};
    return s;
}

const char* const kExpected =
    "NumVertex;3;NumFace;1;NumMaterial;1;NumPart;1;NumJoint;2;NumMotion;1;NumTotalFrame;2;NumShapekey;0;"
    "NumShapekeyVertex;0;NumShapekeydata;0;NumParticlehairFace;0;\n"
    "vertexno;1;originalvertexno;1;partno;1;matno;1;posx;1;posy;1;posz;1;texu;1;texv;1;normx;0;normy;0;normz;0;"
    "jointno0;1;weight0;1;jointno1;1;weight1;1;\n"
    "0;-1;0;0;0.000000;0.000000;0.000000;0.000000;0.000000;0;1.000000;-1;0.000000;\n"
    "1;-1;0;0;1.000000;0.000000;0.000000;1.000000;0.000000;0;0.500000;1;0.500000;\n"
    "2;-1;0;0;0.000000;1.000000;0.000000;0.000000;1.000000;1;1.000000;-1;0.000000;\n"
    "faceno;1;partno;1;matno;1;vertexno[0];1;vertexno[1];1;vertexno[2];1;\n"
    "0;0;0;0;1;2;\n"
    "matno;1;faceColorR;1;faceColorG;1;faceColorB;1;alpha;1;power;1;specularColorR;1;specularColorG;1;"
    "specularColorB;1;emissiveColorR;1;emissiveColorG;1;emissiveColorB;1;texfilenameornot;1;matname;1;\n"
    "0;255;127;0;1.000000;2.000000;0;0;0;51;51;51;t.png;matname0;\n"
    "partno;1;partname;1;\n"
    "0;Tri;\n"
    "jointno;1;parentjointno;1;parentposx;1;parentposy;1;parentposz;1;ownposx;0;ownposy;0;ownposz;0;jointname;1;\n"
    "0;-1;1.000000;0.000000;0.000000;Root_Joint;\n"
    "1;0;1.000000;2.000000;0.000000;Tip_Joint;\n"
    "motionno;1;numframe;1;frameno;1;motionname;1;\n"
    "0;2;0;10;motion0;\n"
    "motionno;1;jointno;1;frameno;1;scalex;1;scaley;1;scalez;1;rot4w;1;rot4x;1;rot4y;1;rot4z;1;transx;1;"
    "transy;1;transz;1;\n"
    "0;0;0;1.000000;1.000000;1.000000;1.000000;-0.000000;-0.000000;-0.000000;0.000000;0.000000;0.000000;\n"
    "0;0;10;2.000000;2.000000;2.000000;0.707100;-0.707100;-0.000000;-0.000000;0.000000;1.000000;0.000000;\n"
    "0;1;0;1.000000;1.000000;1.000000;1.000000;-0.000000;-0.000000;-0.000000;1.000000;0.000000;0.000000;\n"
    "0;1;10;2.000000;2.000000;2.000000;0.707100;-0.707100;-0.000000;-0.000000;1.000000;1.000000;0.000000;\n";

TEST_F(XfileTest, WrittenPt3MatchesTheLayoutByteForByte) {
    textures.existing = {"t.png"};
    const std::string dir = tempDir();
    ASSERT_EQ(import(writeXText(tinyScene()), {.skinmode = 2, .writept3 = 1}, dir + "tiny.x"), 0);
    EXPECT_EQ(readFile(dir + "tiny.pt3"), kExpected);
    textures.existing.clear();
    ASSERT_EQ(import(writeXText(tinyScene()), {.skinmode = 2, .writept3 = 2}, dir + "none.x"), -1);
    EXPECT_NE(readFile(dir + "none.pt3").find("\n0;255;127;0;1.000000;2.000000;0;0;0;51;51;51;None;matname0;\n"),
              std::string::npos);
}

}  // namespace
}  // namespace korvel::model::xfile
