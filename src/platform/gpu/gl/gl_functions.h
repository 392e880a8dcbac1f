// The OpenGL entry points the GL backend calls, on Windows: opengl32.dll
// exports only OpenGL 1.1, so each is a pointer of the function's own name,
// loaded by loadGlFunctions once a context is current.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <GL/glcorearb.h>

#define KORVEL_GL_FUNCTIONS(X)                                                                             \
    X(PFNGLBINDBUFFERBASEPROC, glBindBufferBase)                                                           \
    X(PFNGLBINDBUFFERRANGEPROC, glBindBufferRange)                                                         \
    X(PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer)                                                         \
    X(PFNGLBINDPROGRAMPIPELINEPROC, glBindProgramPipeline)                                                 \
    X(PFNGLBINDSAMPLERPROC, glBindSampler)                                                                 \
    X(PFNGLBINDTEXTUREUNITPROC, glBindTextureUnit)                                                         \
    X(PFNGLBINDVERTEXARRAYPROC, glBindVertexArray)                                                         \
    X(PFNGLBLENDCOLORPROC, glBlendColor)                                                                   \
    X(PFNGLBLENDEQUATIONSEPARATEPROC, glBlendEquationSeparate)                                             \
    X(PFNGLBLENDFUNCSEPARATEPROC, glBlendFuncSeparate)                                                     \
    X(PFNGLBLITNAMEDFRAMEBUFFERPROC, glBlitNamedFramebuffer)                                               \
    X(PFNGLCLEARNAMEDFRAMEBUFFERFIPROC, glClearNamedFramebufferfi)                                         \
    X(PFNGLCLEARNAMEDFRAMEBUFFERFVPROC, glClearNamedFramebufferfv)                                         \
    X(PFNGLCLEARTEXIMAGEPROC, glClearTexImage)                                                             \
    X(PFNGLCLIENTWAITSYNCPROC, glClientWaitSync)                                                           \
    X(PFNGLCLIPCONTROLPROC, glClipControl)                                                                 \
    X(PFNGLCOLORMASKPROC, glColorMask)                                                                     \
    X(PFNGLCOMPRESSEDTEXTURESUBIMAGE2DPROC, glCompressedTextureSubImage2D)                                 \
    X(PFNGLCREATEBUFFERSPROC, glCreateBuffers)                                                             \
    X(PFNGLCREATEFRAMEBUFFERSPROC, glCreateFramebuffers)                                                   \
    X(PFNGLCREATEPROGRAMPIPELINESPROC, glCreateProgramPipelines)                                           \
    X(PFNGLCREATESAMPLERSPROC, glCreateSamplers)                                                           \
    X(PFNGLCREATESHADERPROGRAMVPROC, glCreateShaderProgramv)                                               \
    X(PFNGLCREATETEXTURESPROC, glCreateTextures)                                                           \
    X(PFNGLCREATEVERTEXARRAYSPROC, glCreateVertexArrays)                                                   \
    X(PFNGLCULLFACEPROC, glCullFace)                                                                       \
    X(PFNGLDELETEBUFFERSPROC, glDeleteBuffers)                                                             \
    X(PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers)                                                   \
    X(PFNGLDELETEPROGRAMPROC, glDeleteProgram)                                                             \
    X(PFNGLDELETEPROGRAMPIPELINESPROC, glDeleteProgramPipelines)                                           \
    X(PFNGLDELETESAMPLERSPROC, glDeleteSamplers)                                                           \
    X(PFNGLDELETESYNCPROC, glDeleteSync)                                                                   \
    X(PFNGLDELETETEXTURESPROC, glDeleteTextures)                                                           \
    X(PFNGLDELETEVERTEXARRAYSPROC, glDeleteVertexArrays)                                                   \
    X(PFNGLDEPTHFUNCPROC, glDepthFunc)                                                                     \
    X(PFNGLDEPTHMASKPROC, glDepthMask)                                                                     \
    X(PFNGLDEPTHRANGEINDEXEDPROC, glDepthRangeIndexed)                                                     \
    X(PFNGLDISABLEPROC, glDisable)                                                                         \
    X(PFNGLDRAWARRAYSPROC, glDrawArrays)                                                                   \
    X(PFNGLDRAWARRAYSINSTANCEDBASEINSTANCEPROC, glDrawArraysInstancedBaseInstance)                         \
    X(PFNGLDRAWELEMENTSBASEVERTEXPROC, glDrawElementsBaseVertex)                                           \
    X(PFNGLDRAWELEMENTSINSTANCEDBASEVERTEXBASEINSTANCEPROC, glDrawElementsInstancedBaseVertexBaseInstance) \
    X(PFNGLENABLEPROC, glEnable)                                                                           \
    X(PFNGLENABLEVERTEXARRAYATTRIBPROC, glEnableVertexArrayAttrib)                                         \
    X(PFNGLFENCESYNCPROC, glFenceSync)                                                                     \
    X(PFNGLFLUSHPROC, glFlush)                                                                             \
    X(PFNGLFRONTFACEPROC, glFrontFace)                                                                     \
    X(PFNGLGETGRAPHICSRESETSTATUSPROC, glGetGraphicsResetStatus)                                           \
    X(PFNGLGETINTEGERVPROC, glGetIntegerv)                                                                 \
    X(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog)                                                     \
    X(PFNGLGETPROGRAMIVPROC, glGetProgramiv)                                                               \
    X(PFNGLGETSTRINGIPROC, glGetStringi)                                                                   \
    X(PFNGLGETTEXTUREIMAGEPROC, glGetTextureImage)                                                         \
    X(PFNGLMAPNAMEDBUFFERRANGEPROC, glMapNamedBufferRange)                                                 \
    X(PFNGLNAMEDBUFFERDATAPROC, glNamedBufferData)                                                         \
    X(PFNGLNAMEDBUFFERSTORAGEPROC, glNamedBufferStorage)                                                   \
    X(PFNGLNAMEDBUFFERSUBDATAPROC, glNamedBufferSubData)                                                   \
    X(PFNGLNAMEDFRAMEBUFFERDRAWBUFFERPROC, glNamedFramebufferDrawBuffer)                                   \
    X(PFNGLNAMEDFRAMEBUFFERREADBUFFERPROC, glNamedFramebufferReadBuffer)                                   \
    X(PFNGLNAMEDFRAMEBUFFERTEXTUREPROC, glNamedFramebufferTexture)                                         \
    X(PFNGLPIXELSTOREIPROC, glPixelStorei)                                                                 \
    X(PFNGLPOLYGONMODEPROC, glPolygonMode)                                                                 \
    X(PFNGLPROVOKINGVERTEXPROC, glProvokingVertex)                                                         \
    X(PFNGLSAMPLERPARAMETERFPROC, glSamplerParameterf)                                                     \
    X(PFNGLSAMPLERPARAMETERIPROC, glSamplerParameteri)                                                     \
    X(PFNGLSTENCILFUNCPROC, glStencilFunc)                                                                 \
    X(PFNGLTEXTURESTORAGE2DPROC, glTextureStorage2D)                                                       \
    X(PFNGLTEXTURESUBIMAGE2DPROC, glTextureSubImage2D)                                                     \
    X(PFNGLUNMAPNAMEDBUFFERPROC, glUnmapNamedBuffer)                                                       \
    X(PFNGLUSEPROGRAMSTAGESPROC, glUseProgramStages)                                                       \
    X(PFNGLVERTEXARRAYATTRIBBINDINGPROC, glVertexArrayAttribBinding)                                       \
    X(PFNGLVERTEXARRAYATTRIBFORMATPROC, glVertexArrayAttribFormat)                                         \
    X(PFNGLVERTEXARRAYATTRIBIFORMATPROC, glVertexArrayAttribIFormat)                                       \
    X(PFNGLVERTEXARRAYELEMENTBUFFERPROC, glVertexArrayElementBuffer)                                       \
    X(PFNGLVERTEXARRAYVERTEXBUFFERPROC, glVertexArrayVertexBuffer)                                         \
    X(PFNGLVIEWPORTINDEXEDFPROC, glViewportIndexedf)

namespace korvel::gpu::gl {

#define KORVEL_DECLARE_GL_FUNCTION(type, name) extern type name;
KORVEL_GL_FUNCTIONS(KORVEL_DECLARE_GL_FUNCTION)
#undef KORVEL_DECLARE_GL_FUNCTION

// Loads every pointer through the current context; false when one is missing
// (the driver lacks OpenGL 4.5).
bool loadGlFunctions();

}  // namespace korvel::gpu::gl
