# The Windows build's outside libraries, cross-compiled with mingw-w64
# (cmake/mingw-w64-x86_64.cmake). The shader compiler (shaderc, glslang,
# SPIRV-Tools, SPIRV-Cross) is built from Debian's sources by
# tools/windows/deps.sh into KORVEL_WINDOWS_DEPS; OpenGL comes through WGL
# (opengl32), text through GDI, and stb's headers are Debian's own.
set(KORVEL_WINDOWS_DEPS "" CACHE PATH "Prefix of the cross-built shader compiler (tools/windows/deps.sh)")
if(NOT EXISTS "${KORVEL_WINDOWS_DEPS}/lib/libshaderc_static.a")
  message(FATAL_ERROR "KORVEL_WINDOWS_DEPS must name the prefix tools/windows/deps.sh built")
endif()

# stb is header-only: its headers are the host's (nothing else from the host's
# include folder is seen), its implementation is compiled into the library.
find_path(STB_INCLUDE_DIR stb_image.h PATHS /usr/include/stb NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)

# The shader compiler's static libraries, each once, in the order they
# depend on each other.
add_library(korvel_shader_compiler INTERFACE)
target_include_directories(korvel_shader_compiler SYSTEM INTERFACE
  ${KORVEL_WINDOWS_DEPS}/include ${KORVEL_WINDOWS_DEPS}/include/spirv_cross)
foreach(lib shaderc_static shaderc_util glslang MachineIndependent OSDependent GenericCodeGen OGLCompiler HLSL SPIRV
    SPIRV-Tools-opt SPIRV-Tools spirv-cross-c spirv-cross-glsl spirv-cross-core)
  target_link_libraries(korvel_shader_compiler INTERFACE ${KORVEL_WINDOWS_DEPS}/lib/lib${lib}.a)
endforeach()
