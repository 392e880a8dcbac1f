// The PT3 writer: the importer's layout byte for byte, and read -> write ->
// read keeping every value for each vertex variant with every section.
#include <gtest/gtest.h>

#include <string>

#include "model/pt3_reader.h"
#include "model/pt3_writer.h"
#include "model_test_support.h"

namespace korvel::model::testing {
namespace {

using WriterTest = ModelStoreTest;

const Pt3Names kNames{{"tex0.png"}, {"body", "head"}, {"root", "arm"}};

// Texture slots differ between two loads of one file; everything else must not.
void sameExceptTextureSlots(Obj3dModel& a, Obj3dModel& b) {
    ASSERT_EQ(a.material.size(), b.material.size());
    for (size_t i = 0; i < a.material.size(); ++i) {
        EXPECT_EQ(a.material[i].texsrvno < 0, b.material[i].texsrvno < 0) << "material " << i;
        b.material[i].texsrvno = a.material[i].texsrvno;
    }
    std::string difference;
    EXPECT_TRUE(sameModel(a, b, difference)) << difference;
}

TEST_F(WriterTest, RoundTripKeepsEveryValueForEachVariant) {
    const Sample variants[] = {
        {.normals = false, .skin = false, .shapekeys = true, .hair = true},
        {.normals = false, .skin = true, .motions = true, .shapekeys = true, .hair = true},
        {.normals = true, .skin = false, .shapekeys = true, .hair = true},
        {.normals = true, .skin = true, .motions = true, .shapekeys = true, .hair = true},
        {.normals = true, .skin = true},
    };
    textures.existing = {"tex0.png"};
    for (const Sample& sample : variants) {
        for (const double scale : {1.0, 2.0}) {
            SCOPED_TRACE(::testing::Message() << "normals " << sample.normals << " skin " << sample.skin << " scale "
                                              << scale);
            clearAllModels(textures);
            const int normalmode = sample.normals ? 1 : 0;
            const int a = load(samplePt3(sample), normalmode, scale);
            ASSERT_EQ(a, 0);
            const std::string written = pt3Text(model(a), kNames);
            const int b = load(written, normalmode, 1.0);
            ASSERT_EQ(b, 1);
            sameExceptTextureSlots(model(a), model(b));
            // Writing the re-read model gives the same text again.
            EXPECT_EQ(pt3Text(model(b), kNames), written);
        }
    }
}

TEST_F(WriterTest, WritesTheImporterLayoutByteForByte) {
    // A model as the X importer leaves it: skinmode 2, no normals, one
    // motion of two frames over two joints.
    const std::string expected =
        "NumVertex;2;NumFace;1;NumMaterial;2;NumPart;1;NumJoint;2;NumMotion;1;NumTotalFrame;2;NumShapekey;0;"
        "NumShapekeyVertex;0;NumShapekeydata;0;NumParticlehairFace;0;\n"
        "vertexno;1;originalvertexno;1;partno;1;matno;1;posx;1;posy;1;posz;1;texu;1;texv;1;normx;0;normy;0;normz;0;"
        "jointno0;1;weight0;1;jointno1;1;weight1;1;\n"
        "0;-1;0;0;1.000000;-0.500000;0.000001;0.000000;1.000000;0;1.000000;-1;0.000000;\n"
        "1;0;0;1;1.000000;-0.500000;0.000001;0.250000;0.500000;1;0.600000;0;0.400000;\n"
        "faceno;1;partno;1;matno;1;vertexno[0];1;vertexno[1];1;vertexno[2];1;\n"
        "0;0;1;0;1;1;\n"
        "matno;1;faceColorR;1;faceColorG;1;faceColorB;1;alpha;1;power;1;specularColorR;1;specularColorG;1;"
        "specularColorB;1;emissiveColorR;1;emissiveColorG;1;emissiveColorB;1;texfilenameornot;1;matname;1;\n"
        "0;255;127;0;1.000000;12.000000;51;51;51;0;0;0;skin.bmp;matname0;\n"
        "1;0;0;255;0.500000;0.000000;0;0;0;255;255;255;None;matname1;\n"
        "partno;1;partname;1;\n"
        "0;Body;\n"
        "jointno;1;parentjointno;1;parentposx;1;parentposy;1;parentposz;1;ownposx;0;ownposy;0;ownposz;0;"
        "jointname;1;\n"
        "0;-1;0.000000;0.000000;0.000000;Hip_Joint;\n"
        "1;0;0.000000;2.000000;0.000000;Knee_Joint;\n"
        "motionno;1;numframe;1;frameno;1;motionname;1;\n"
        "0;2;0;30;motion0;\n"
        "motionno;1;jointno;1;frameno;1;scalex;1;scaley;1;scalez;1;rot4w;1;rot4x;1;rot4y;1;rot4z;1;transx;1;"
        "transy;1;transz;1;\n"
        "0;0;0;1.000000;1.000000;1.000000;0.707107;-0.707107;0.000000;0.000000;0.000000;0.000000;0.000000;\n"
        "0;0;30;1.000000;1.000000;1.000000;1.000000;0.000000;0.000000;0.000000;0.000000;0.000000;0.000000;\n"
        "0;1;0;1.000000;1.000000;1.000000;1.000000;0.000000;0.000000;0.000000;0.000000;2.000000;0.000000;\n"
        "0;1;30;1.000000;1.000000;1.000000;1.000000;0.000000;0.000000;0.000000;0.000000;2.500000;0.000000;\n";
    Obj3dModel m;
    ASSERT_TRUE(m.header.allocate(1));
    Obj3dHeader& h = *m.head();
    h.NumPart = 1;
    h.NumVertex = 2;
    h.NumFace = 1;
    h.NumMaterial = 2;
    h.skinmode = 2;
    h.NumJoint = 2;
    h.NumMotion = 1;
    h.NumTotalFrame = 2;
    ASSERT_TRUE(m.vertex.allocate(2) && m.weight.allocate(2) && m.face.allocate(1) && m.material.allocate(2));
    m.vertex[0] = {0, 0, -1, 1.0f, -0.5f, 1e-6f, 0.0f, 1.0f};
    m.vertex[1] = {0, 1, 0, 1.0f, -0.5f, 1e-6f, 0.25f, 0.5f};
    m.weight[0] = {0, -1, 1.0f, 0.0f};
    m.weight[1] = {1, 0, 0.6f, 0.4f};
    m.face[0] = {0, {0, 1, 1}, 1};
    m.material[0] = {1.0f, 0.5f, 0.0f, 1.0f, 12.0f, 0.2f, 0.2f, 0.2f, 0.0f, 0.0f, 0.0f, 4, 3};
    m.material[1] = {0.0f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, -1, 3};
    ASSERT_TRUE(m.joint.allocate(2) && m.motion.allocate(1) && m.frameno.allocate(2) && m.keyframe.allocate(4));
    m.joint[0] = {-1, 0.0f, 0.0f, 0.0f};
    m.joint[1] = {0, 0.0f, 2.0f, 0.0f};
    m.motion[0] = {2, 0, 0};
    m.frameno[0] = 0;
    m.frameno[1] = 30;
    m.keyframe[0] = {-0.7071068f, 0, 0, 0.7071068f, 1, 1, 1, 0, 0, 0};
    m.keyframe[1] = {0, 0, 0, 1, 1, 1, 1, 0, 0, 0};
    m.keyframe[2] = {0, 0, 0, 1, 1, 1, 1, 0, 2.0f, 0};
    m.keyframe[3] = {0, 0, 0, 1, 1, 1, 1, 0, 2.5f, 0};
    const Pt3Names names{{"skin.bmp", "unused.bmp"}, {"Body"}, {"Hip_Joint", "Knee_Joint"}};
    EXPECT_EQ(pt3Text(m, names), expected);

    // Without skin: no joint or motion section, skin columns off.
    m.head()->skinmode = 0;
    m.head()->NumJoint = m.head()->NumMotion = m.head()->NumTotalFrame = 0;
    const std::string plain = pt3Text(m, names);
    EXPECT_NE(plain.find("NumJoint;0;NumMotion;0;NumTotalFrame;0;"), std::string::npos);
    EXPECT_NE(plain.find("jointno0;0;weight0;0;jointno1;0;weight1;0;\n0;-1;0;0;1.000000;-0.500000;0.000001;0.000000;"
                         "1.000000;\n"),
              std::string::npos);
    EXPECT_TRUE(plain.ends_with("partno;1;partname;1;\n0;Body;\n"));
}

TEST_F(WriterTest, WritesAFileThatReadsBack) {
    const int a = load(samplePt3({.normals = true, .skin = true, .motions = true}), 1);
    ASSERT_EQ(a, 0);
    const std::string path = tempDir() + "written.pt3";
    ASSERT_TRUE(writePt3File(path, model(a), kNames));
    EXPECT_EQ(readPt3File(path, 1, 1.0, textures), 1);
    sameExceptTextureSlots(model(a), model(1));
    EXPECT_FALSE(writePt3File(tempDir() + "no/such/folder/x.pt3", model(a), kNames));
}

}  // namespace
}  // namespace korvel::model::testing
