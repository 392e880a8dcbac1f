// The line patterns of the X layout the importer reads: block openings that
// must convert their final %c, and the value lines' formats.
#pragma once

#include <string_view>

namespace korvel::model::xfile::pattern {

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
inline constexpr std::string_view kMatrix =
    "     %f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f,%f;;";
inline constexpr std::string_view kRotationKey = "     %d;%d;%f,%f,%f,%f;;,";
inline constexpr std::string_view kVectorKey = "     %d;%d;%f,%f,%f;;,";

}  // namespace korvel::model::xfile::pattern
