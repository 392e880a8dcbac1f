// OpenGL 4.5 core entry points, called directly through the GLVND libOpenGL
// dispatch library (which exports every core function).
#pragma once

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

// S3TC block formats (Direct3D BC1 to BC3), from EXT_texture_compression_s3tc.
#ifndef GL_COMPRESSED_RGBA_S3TC_DXT1_EXT
#define GL_COMPRESSED_RGBA_S3TC_DXT1_EXT 0x83F1
#define GL_COMPRESSED_RGBA_S3TC_DXT3_EXT 0x83F2
#define GL_COMPRESSED_RGBA_S3TC_DXT5_EXT 0x83F3
#endif
