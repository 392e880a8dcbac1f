// Draws with the effect file's entry points on an OpenGL 4.5 context (a
// surfaceless EGL context, so Mesa's software rasteriser serves) and checks
// the pixels. The rig treats the file as the OpenGL backend does: each
// entry point goes HLSL -> SPIR-V (shaderc) -> GLSL 4.50 separable program
// (SPIRV-Cross), constant buffer N is uniform-buffer binding N, and
// glClipControl(UPPER_LEFT, ZERO_TO_ONE) keeps Direct3D's clip conventions,
// so read-back row 0 is the top of the screen. Matrices are row-vector and
// uploaded transposed, as the library does.
#include <gtest/gtest.h>

#define GL_GLEXT_PROTOTYPES
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <shaderc/shaderc.h>
#include <spirv_cross_c.h>

#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 64;  // render target width and height in pixels

// ---------------------------------------------------------------------------
// Row-vector matrices, as the library keeps them.

struct Mat {
    std::array<float, 16> m{};  // row by row
    float& at(int r, int c) { return m[r * 4 + c]; }
    float at(int r, int c) const { return m[r * 4 + c]; }
};

Mat identity() {
    Mat r;
    for (int i = 0; i < 4; ++i) r.at(i, i) = 1;
    return r;
}

Mat translation(float x, float y, float z) {
    Mat r = identity();
    r.at(3, 0) = x;
    r.at(3, 1) = y;
    r.at(3, 2) = z;
    return r;
}

Mat transpose(const Mat& a) {
    Mat r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.at(i, j) = a.at(j, i);
    return r;
}

// Left-handed view from an eye on the -z axis looking at the origin (+z).
Mat viewFromMinusZ(float distance) { return translation(0, 0, distance); }

// Left-handed orthographic view volume of width w and height h, depth n..f to 0..1.
Mat orthographic(float w, float h, float n, float f) {
    Mat r;
    r.at(0, 0) = 2 / w;
    r.at(1, 1) = 2 / h;
    r.at(2, 2) = 1 / (f - n);
    r.at(3, 2) = -n / (f - n);
    r.at(3, 3) = 1;
    return r;
}

// Left-handed perspective with a vertical field of view of 90 degrees, aspect 1.
Mat perspective90(float n, float f) {
    Mat r;
    float q = f / (f - n);
    r.at(0, 0) = 1;
    r.at(1, 1) = 1;
    r.at(2, 2) = q;
    r.at(2, 3) = 1;
    r.at(3, 2) = -q * n;
    return r;
}

// ---------------------------------------------------------------------------
// Rig: context, render target, constant buffers, one texture, the 21 programs.

struct Rgba {
    float r, g, b, a;
};

struct Vertex0 {  // layout 0: position, texcoord, shape-key index
    float pos[3], tex[2];
    int ski;
};

struct Vertex1 {  // layout 1: position, texcoord, normal, shape-key index
    float pos[3], tex[2], normal[3];
    int ski;
};

struct Vertex0ba {  // layout 0ba: position, texcoord, shape-key index, two joints
    float pos[3], tex[2];
    int ski, joint0;
    float weight0;
    int joint1;
    float weight1;
};

// Material and lighting constants (b7), byte for byte.
struct Material {
    float diffuse[4] = {0, 0, 0, 1};
    float power = 0;
    float specular[3] = {};
    int texNo = -1;
    float emissive[3] = {};
    float ktex = 1, kdif = 1, kemi = 1, kspc = 1;
    float lightPos[3] = {};
    int zero = 0;
    float eye[3] = {};
    float mparam0 = 0;
    float ambient[3] = {};
    float mparam1 = 0;
};
static_assert(sizeof(Material) == 112);

// Particle hair constants (b11), byte for byte.
struct Hair {
    int count = 0;
    float length = 0;
    float spread = 0;
    int seed = 0;
    float vec[3] = {};
    int zero = 0;
    Mat rot = identity();
    int colorMode = 1;
    float color[3] = {};
};
static_assert(sizeof(Hair) == 112);

class Rig {
public:
    Rig() {
        auto getPlatformDisplay =
            reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
        display_ = getPlatformDisplay ? getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)
                                      : eglGetDisplay(EGL_DEFAULT_DISPLAY);
        if (!eglInitialize(display_, nullptr, nullptr) || !eglBindAPI(EGL_OPENGL_API)) { error_ = "EGL init"; return; }
        const EGLint attribs[] = {EGL_CONTEXT_MAJOR_VERSION, 4, EGL_CONTEXT_MINOR_VERSION, 5,
                                  EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
        context_ = eglCreateContext(display_, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attribs);
        if (context_ == EGL_NO_CONTEXT || !eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_))
            { error_ = "OpenGL 4.5 context"; return; }

        GLuint color, depth, fbo;
        glGenTextures(1, &color);
        glBindTexture(GL_TEXTURE_2D, color);
        glTexStorage2D(GL_TEXTURE_2D, 1, GL_RGBA8, kSize, kSize);
        glGenRenderbuffers(1, &depth);
        glBindRenderbuffer(GL_RENDERBUFFER, depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kSize, kSize);
        glGenFramebuffers(1, &fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) { error_ = "framebuffer"; return; }
        glViewport(0, 0, kSize, kSize);
        glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
        glEnable(GL_CULL_FACE);  // clockwise front faces, back faces culled
        glCullFace(GL_BACK);
        glFrontFace(GL_CW);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);

        const std::array<GLsizeiptr, 12> sizes = {64, 64, 64, 96, 32, 64, 48, 112, 7680, 256, 1024, 112};
        for (GLuint n = 0; n < sizes.size(); ++n) {
            glGenBuffers(1, &buffers_[n]);
            glBindBuffer(GL_UNIFORM_BUFFER, buffers_[n]);
            glBufferData(GL_UNIFORM_BUFFER, sizes[n], nullptr, GL_DYNAMIC_DRAW);
            glBindBufferBase(GL_UNIFORM_BUFFER, n, buffers_[n]);
        }
        setMatrix(2, identity());

        // 2 x 2 texture: red, green / blue, white; the left column a quarter opaque.
        const unsigned char texels[] = {255, 0, 0, 64, 0, 255, 0, 255, 0, 0, 255, 64, 255, 255, 255, 255};
        GLuint texture;
        glGenTextures(1, &texture);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);

        glGenVertexArrays(1, &vao_);
        glBindVertexArray(vao_);
        glGenProgramPipelines(1, &pipeline_);
        glBindProgramPipeline(pipeline_);
        glGenBuffers(1, &vertexBuffer_);

        std::ifstream file("Korvelv0.fx");
        std::stringstream text;
        text << file.rdbuf();
        source_ = text.str();
        if (source_.empty()) { error_ = "Korvelv0.fx not found in the working directory"; return; }
        ready_ = true;
    }

    bool ready() const { return ready_; }
    const std::string& error() const { return error_; }

    // Compiles one entry point to a separable program; empty string on success.
    std::string compile(const std::string& entry, shaderc_shader_kind kind, GLenum stage) {
        shaderc_compiler_t compiler = shaderc_compiler_initialize();
        shaderc_compile_options_t options = shaderc_compile_options_initialize();
        shaderc_compile_options_set_source_language(options, shaderc_source_language_hlsl);
        shaderc_compile_options_set_target_env(options, shaderc_target_env_opengl, shaderc_env_version_opengl_4_5);
        shaderc_compile_options_set_hlsl_io_mapping(options, true);
        shaderc_compile_options_set_hlsl_offsets(options, true);
        shaderc_compile_options_set_hlsl_functionality1(options, true);
        shaderc_compile_options_set_auto_bind_uniforms(options, true);
        shaderc_compile_options_set_auto_map_locations(options, true);
        shaderc_compilation_result_t spv = shaderc_compile_into_spv(
            compiler, source_.data(), source_.size(), kind, "Korvelv0.fx", entry.c_str(), options);
        std::string message;
        if (shaderc_result_get_compilation_status(spv) != shaderc_compilation_status_success)
            message = shaderc_result_get_error_message(spv);
        else
            message = link(entry, stage, reinterpret_cast<const SpvId*>(shaderc_result_get_bytes(spv)),
                           shaderc_result_get_length(spv) / sizeof(SpvId));
        shaderc_result_release(spv);
        shaderc_compile_options_release(options);
        shaderc_compiler_release(compiler);
        return message;
    }

    void clear(float r, float g, float b) {
        glClearColor(r, g, b, 1);
        glClearDepth(1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    void set(GLuint reg, const void* data, GLsizeiptr size) {
        glBindBuffer(GL_UNIFORM_BUFFER, buffers_[reg]);
        glBufferSubData(GL_UNIFORM_BUFFER, 0, size, data);
    }
    void setMatrix(GLuint reg, const Mat& m) {
        Mat t = transpose(m);
        set(reg, t.m.data(), 64);
    }
    void setMatrices(GLuint reg, const std::vector<Mat>& ms) {
        std::vector<Mat> t;
        for (const Mat& m : ms) t.push_back(transpose(m));
        set(reg, t.data(), GLsizeiptr(t.size() * sizeof(Mat)));
    }

    void use(const char* vs, const char* gs, const char* ps) {
        glUseProgramStages(pipeline_, GL_VERTEX_SHADER_BIT, programs_.at(vs));
        glUseProgramStages(pipeline_, GL_GEOMETRY_SHADER_BIT, gs ? programs_.at(gs) : 0);
        glUseProgramStages(pipeline_, GL_FRAGMENT_SHADER_BIT, programs_.at(ps));
    }

    // Vertex input: each element (components, is integer) in buffer order.
    template <class V>
    void vertices(const std::vector<V>& v, std::initializer_list<std::pair<int, bool>> elements) {
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(v.size() * sizeof(V)), v.data(), GL_STATIC_DRAW);
        glBindVertexBuffer(0, vertexBuffer_, 0, sizeof(V));
        GLuint location = 0, offset = 0;
        for (auto [components, integer] : elements) {
            glEnableVertexAttribArray(location);
            if (integer)
                glVertexAttribIFormat(location, components, GL_INT, offset);
            else
                glVertexAttribFormat(location, components, GL_FLOAT, GL_FALSE, offset);
            glVertexAttribBinding(location, 0);
            ++location;
            offset += 4 * components;
        }
        for (; location < 8; ++location) glDisableVertexAttribArray(location);
    }
    void layout0(const std::vector<Vertex0>& v) { vertices(v, {{3, false}, {2, false}, {1, true}}); }
    void layout1(const std::vector<Vertex1>& v) { vertices(v, {{3, false}, {2, false}, {3, false}, {1, true}}); }
    void layout0ba(const std::vector<Vertex0ba>& v) {
        vertices(v, {{3, false}, {2, false}, {1, true}, {1, true}, {1, false}, {1, true}, {1, false}});
    }

    std::vector<Rgba> read() {
        std::vector<unsigned char> bytes(kSize * kSize * 4);
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
        std::vector<Rgba> pixels(kSize * kSize);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = {bytes[4 * i] / 255.f, bytes[4 * i + 1] / 255.f, bytes[4 * i + 2] / 255.f,
                         bytes[4 * i + 3] / 255.f};
        return pixels;
    }

private:
    std::string link(const std::string& entry, GLenum stage, const SpvId* words, size_t count) {
        spvc_context context;
        spvc_context_create(&context);
        spvc_parsed_ir ir;
        spvc_compiler compiler;
        spvc_compiler_options options;
        const char* glsl = nullptr;
        if (spvc_context_parse_spirv(context, words, count, &ir) != SPVC_SUCCESS ||
            spvc_context_create_compiler(context, SPVC_BACKEND_GLSL, ir, SPVC_CAPTURE_MODE_TAKE_OWNERSHIP,
                                         &compiler) != SPVC_SUCCESS) {
            std::string message = spvc_context_get_last_error_string(context);
            spvc_context_destroy(context);
            return message;
        }
        spvc_compiler_create_compiler_options(compiler, &options);
        spvc_compiler_options_set_uint(options, SPVC_COMPILER_OPTION_GLSL_VERSION, 450);
        spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
        spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_SEPARATE_SHADER_OBJECTS, SPVC_TRUE);
        spvc_compiler_install_compiler_options(compiler, options);
        spvc_compiler_build_combined_image_samplers(compiler);
        const spvc_combined_image_sampler* samplers;
        size_t samplerCount;
        spvc_compiler_get_combined_image_samplers(compiler, &samplers, &samplerCount);
        for (size_t i = 0; i < samplerCount; ++i) spvc_compiler_set_name(compiler, samplers[i].combined_id, "EffectTexture");
        std::string message;
        if (spvc_compiler_compile(compiler, &glsl) != SPVC_SUCCESS) {
            message = spvc_context_get_last_error_string(context);
        } else {
            GLuint program = glCreateShaderProgramv(stage, 1, &glsl);
            GLint linked = 0;
            glGetProgramiv(program, GL_LINK_STATUS, &linked);
            if (!linked) {
                char log[4096] = {};
                glGetProgramInfoLog(program, sizeof log, nullptr, log);
                message = std::string("GLSL link: ") + log;
            } else {
                GLint sampler = glGetUniformLocation(program, "EffectTexture");
                if (sampler >= 0) glProgramUniform1i(program, sampler, 0);
                programs_[entry] = program;
            }
        }
        spvc_context_destroy(context);
        return message;
    }

    EGLDisplay display_ = EGL_NO_DISPLAY;
    EGLContext context_ = EGL_NO_CONTEXT;
    std::array<GLuint, 12> buffers_{};
    GLuint vao_ = 0, pipeline_ = 0, vertexBuffer_ = 0;
    std::string source_;
    std::map<std::string, GLuint> programs_;
    bool ready_ = false;
    std::string error_;
};

// ---------------------------------------------------------------------------
// Pixel helpers

Rgba at(const std::vector<Rgba>& p, int x, int y) { return p[size_t(y) * kSize + size_t(x)]; }

bool near(Rgba c, float r, float g, float b, float tolerance = 0.02f) {
    return std::fabs(c.r - r) <= tolerance && std::fabs(c.g - g) <= tolerance && std::fabs(c.b - b) <= tolerance;
}

// Bounding box of the pixels that differ from the clear colour: x0, y0, x1, y1 (inclusive), or -1s.
std::array<int, 4> box(const std::vector<Rgba>& p, Rgba clearColor) {
    std::array<int, 4> b = {kSize, kSize, -1, -1};
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if (!near(at(p, x, y), clearColor.r, clearColor.g, clearColor.b, 0.004f)) {
                b[0] = std::min(b[0], x);
                b[1] = std::min(b[1], y);
                b[2] = std::max(b[2], x);
                b[3] = std::max(b[3], y);
            }
    if (b[2] < 0) b = {-1, -1, -1, -1};
    return b;
}

int countColor(const std::vector<Rgba>& p, float r, float g, float b) {
    int n = 0;
    for (const Rgba& c : p) n += near(c, r, g, b) ? 1 : 0;
    return n;
}

// Clip coordinate of the centre of pixel column (or row, negated) i.
float clipX(int i) { return (i + 0.5f) / kSize * 2 - 1; }
float clipY(int i) { return -clipX(i); }

struct SpriteConstants {
    float x[4], y[4], z[4], u[4], v[4];
    int space;
    float pad[3];
};

Rig* rig = nullptr;

class Effect : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        rig = new Rig();
        if (!rig->ready()) return;
        struct Entry {
            const char* name;
            shaderc_shader_kind kind;
            GLenum stage;
        };
        const Entry entries[] = {
            {"VSsprite", shaderc_vertex_shader, GL_VERTEX_SHADER},
            {"VSpoint", shaderc_vertex_shader, GL_VERTEX_SHADER},
            {"VSline", shaderc_vertex_shader, GL_VERTEX_SHADER},
            {"VSparticle", shaderc_vertex_shader, GL_VERTEX_SHADER},
            {"VSshade0", shaderc_vertex_shader, GL_VERTEX_SHADER},
            {"VSshade0ph", shaderc_vertex_shader, GL_VERTEX_SHADER},
            {"VSshade1", shaderc_vertex_shader, GL_VERTEX_SHADER},
            {"VSshade1ph", shaderc_vertex_shader, GL_VERTEX_SHADER},
            {"VSshade0ba", shaderc_vertex_shader, GL_VERTEX_SHADER},
            {"VSshade0baph", shaderc_vertex_shader, GL_VERTEX_SHADER},
            {"VSshade1ba", shaderc_vertex_shader, GL_VERTEX_SHADER},
            {"VSshade1baph", shaderc_vertex_shader, GL_VERTEX_SHADER},
            {"GS_PARTICLE", shaderc_geometry_shader, GL_GEOMETRY_SHADER},
            {"GSshade0", shaderc_geometry_shader, GL_GEOMETRY_SHADER},
            {"GSparticlehair", shaderc_geometry_shader, GL_GEOMETRY_SHADER},
            {"GStoolpoint", shaderc_geometry_shader, GL_GEOMETRY_SHADER},
            {"GStoolline", shaderc_geometry_shader, GL_GEOMETRY_SHADER},
            {"PS", shaderc_fragment_shader, GL_FRAGMENT_SHADER},
            {"PSpoint", shaderc_fragment_shader, GL_FRAGMENT_SHADER},
            {"PSddsalpha", shaderc_fragment_shader, GL_FRAGMENT_SHADER},
            {"PSshade0", shaderc_fragment_shader, GL_FRAGMENT_SHADER},
        };
        for (const Entry& e : entries) {
            std::string message = rig->compile(e.name, e.kind, e.stage);
            if (!message.empty()) compileErrors += std::string(e.name) + ": " + message + "\n";
        }
    }
    static void TearDownTestSuite() {
        delete rig;
        rig = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(rig->ready()) << rig->error();
        ASSERT_EQ(compileErrors, "");
        rig->clear(0, 0, 0);
        glDisable(GL_BLEND);
    }

    // Triangle (TL, TR, BL in screen terms) in the z = 0 plane facing a
    // camera on -z, with the normal towards the camera.
    static std::vector<Vertex1> facingTriangle(float s, int ski = -1) {
        return {{{-s, s, 0}, {0, 0}, {0, 0, -1}, ski}, {{s, s, 0}, {1, 0}, {0, 0, -1}, ski},
                {{-s, -s, 0}, {0, 1}, {0, 0, -1}, ski}};
    }
    // Orthographic camera on -z: world x and y in [-2, 2] fill the target.
    static void orthoCamera() {
        rig->setMatrix(0, viewFromMinusZ(5));
        rig->setMatrix(1, orthographic(4, 4, 1, 10));
    }

    static inline std::string compileErrors;
};

TEST_F(Effect, ClipSpaceSpriteMapsCornersAndTexture) {
    // Top-left quarter of the screen, full texture.
    SpriteConstants s = {{-1, 0, -1, 0}, {1, 1, 0, 0}, {.5f, .5f, .5f, .5f}, {0, 1, 0, 1}, {0, 0, 1, 1}, 0, {}};
    rig->set(3, &s, sizeof s);
    rig->use("VSsprite", nullptr, "PS");
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    auto p = rig->read();
    EXPECT_TRUE(near(at(p, 8, 8), 1, 0, 0));     // corner 0: top-left texel
    EXPECT_TRUE(near(at(p, 24, 8), 0, 1, 0));    // corner 1: top-right texel
    EXPECT_TRUE(near(at(p, 8, 24), 0, 0, 1));    // corner 2: bottom-left texel
    EXPECT_TRUE(near(at(p, 24, 24), 1, 1, 1));   // corner 3: bottom-right texel
    EXPECT_TRUE(near(at(p, 48, 48), 0, 0, 0));   // outside the quad
    EXPECT_EQ(box(p, {0, 0, 0, 1}), (std::array<int, 4>{0, 0, 31, 31}));
}

TEST_F(Effect, MirroredSpriteIsBackFacing) {
    SpriteConstants s = {{0, -1, 0, -1}, {1, 1, 0, 0}, {.5f, .5f, .5f, .5f}, {0, 1, 0, 1}, {0, 0, 1, 1}, 0, {}};
    rig->set(3, &s, sizeof s);
    rig->use("VSsprite", nullptr, "PS");
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    EXPECT_EQ(box(rig->read(), {0, 0, 0, 1})[0], -1);
}

TEST_F(Effect, WorldSpaceSpriteGoesThroughWorldViewProjection) {
    orthoCamera();
    rig->setMatrix(2, translation(-1, 0, 0));
    // World square (1..2, 0..2) moved by the world matrix to (0..1, 0..2):
    // pixels 32..47 across, 0..31 down.
    SpriteConstants s = {{1, 2, 1, 2}, {2, 2, 0, 0}, {0, 0, 0, 0}, {0, 1, 0, 1}, {0, 0, 1, 1}, 1, {}};
    rig->set(3, &s, sizeof s);
    rig->use("VSsprite", nullptr, "PS");
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    rig->setMatrix(2, identity());
    auto p = rig->read();
    EXPECT_EQ(box(p, {0, 0, 0, 1}), (std::array<int, 4>{32, 0, 47, 31}));
    EXPECT_TRUE(near(at(p, 34, 2), 1, 0, 0));
    EXPECT_TRUE(near(at(p, 46, 30), 1, 1, 1));
}

TEST_F(Effect, DdsAlphaCutsOutMostlyTransparentTexels) {
    SpriteConstants s = {{-1, 0, -1, 0}, {1, 1, 0, 0}, {.5f, .5f, .5f, .5f}, {0, 1, 0, 1}, {0, 0, 1, 1}, 0, {}};
    rig->set(3, &s, sizeof s);
    rig->use("VSsprite", nullptr, "PSddsalpha");
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    auto p = rig->read();
    EXPECT_TRUE(near(at(p, 8, 8), 0, 0, 0));     // alpha 0.25: cut out
    EXPECT_TRUE(near(at(p, 24, 8), 0, 1, 0));    // opaque: drawn
}

TEST_F(Effect, PointTakesPositionAndColour) {
    float point[8] = {clipX(10), clipY(20), 0, 1, 1, .5f, .25f, 1};
    rig->set(4, point, sizeof point);
    rig->use("VSpoint", nullptr, "PSpoint");
    glDrawArrays(GL_POINTS, 0, 1);
    auto p = rig->read();
    EXPECT_TRUE(near(at(p, 10, 20), 1, .5f, .25f));
    EXPECT_EQ(box(p, {0, 0, 0, 1}), (std::array<int, 4>{10, 20, 10, 20}));
}

TEST_F(Effect, LineBlendsTheColoursOfItsEnds) {
    float line[16] = {clipX(4), clipY(40), 0, 1, 1, 0, 0, 1, clipX(59), clipY(40), 0, 1, 0, 0, 1, 1};
    rig->set(5, line, sizeof line);
    rig->use("VSline", nullptr, "PSpoint");
    glDrawArrays(GL_LINES, 0, 2);
    auto p = rig->read();
    EXPECT_GT(at(p, 5, 40).r, .9f);
    EXPECT_GT(at(p, 58, 40).b, .9f);
    EXPECT_NEAR(at(p, 31, 40).r, at(p, 31, 40).b, .1f);
}

TEST_F(Effect, ParticleIsACameraFacingQuadOfItsSize) {
    rig->setMatrix(0, viewFromMinusZ(5));
    rig->setMatrix(1, perspective90(1, 10));
    // 2.5 wide and 1.25 high at distance 5: half of 64 x 0.25 = 8 pixels
    // each side of the centre across, 4 up and down. Texture u 0.5..1 (the
    // right column), v 0..1.
    float particle[12] = {0, 0, 0, 1, 2.5f, 1.25f, .5f, 1, 0, 1, 0, 0};
    rig->set(6, particle, sizeof particle);
    rig->use("VSparticle", "GS_PARTICLE", "PS");
    glDrawArrays(GL_POINTS, 0, 1);
    auto p = rig->read();
    EXPECT_EQ(box(p, {0, 0, 0, 1}), (std::array<int, 4>{24, 28, 39, 35}));
    EXPECT_TRUE(near(at(p, 25, 29), 0, 1, 0));   // top-left: green texel
    EXPECT_TRUE(near(at(p, 25, 34), 1, 1, 1));   // bottom-left: white texel
    EXPECT_TRUE(near(at(p, 38, 34), 1, 1, 1));   // bottom-right: white texel
}

// Diffuse-only material without a texture (the bound one must not show),
// lit from far behind the camera.
Material diffuseMaterial(float r, float g, float b) {
    Material m;
    m.diffuse[0] = r;
    m.diffuse[1] = g;
    m.diffuse[2] = b;
    m.kemi = 0;
    m.kspc = 0;
    m.lightPos[2] = -100;
    m.eye[2] = -5;
    return m;
}

TEST_F(Effect, LitTriangleWithNormals) {
    orthoCamera();
    Material m = diffuseMaterial(.8f, .4f, .2f);
    m.ambient[0] = m.ambient[1] = m.ambient[2] = .25f;
    rig->set(7, &m, sizeof m);
    rig->layout1(facingTriangle(2));
    rig->use("VSshade1", nullptr, "PSshade0");
    glDrawArrays(GL_TRIANGLES, 0, 3);
    auto p = rig->read();
    // diffuse x (ambient + N.L) with N.L close to 1.
    EXPECT_TRUE(near(at(p, 10, 10), 1.0f, .5f, .25f));
}

TEST_F(Effect, FlatNormalsFromGSshade0FaceTheViewer) {
    orthoCamera();
    Material m = diffuseMaterial(.8f, .4f, .2f);
    rig->set(7, &m, sizeof m);
    rig->layout0({{{-2, 2, 0}, {0, 0}, -1}, {{2, 2, 0}, {1, 0}, -1}, {{-2, -2, 0}, {0, 1}, -1}});
    rig->use("VSshade0", "GSshade0", "PSshade0");
    glDrawArrays(GL_TRIANGLES, 0, 3);
    EXPECT_TRUE(near(at(rig->read(), 10, 10), .8f, .4f, .2f));
}

TEST_F(Effect, TextureWeightedByKtexAndSpecularAdded) {
    orthoCamera();
    Material m = diffuseMaterial(1, 1, 1);
    m.texNo = 0;
    m.ktex = .5f;               // halfway between white and the texel
    m.kspc = 1;
    m.power = 1;
    m.specular[2] = .5f;        // blue highlight, N.H close to 1
    rig->set(7, &m, sizeof m);
    rig->layout1(facingTriangle(2));
    rig->use("VSshade1", nullptr, "PSshade0");
    glDrawArrays(GL_TRIANGLES, 0, 3);
    // Top-left quarter shows the red texel: (1, .5, .5) lit, plus .5 blue.
    EXPECT_TRUE(near(at(rig->read(), 4, 4), 1, .5f, 1, .03f));
}

TEST_F(Effect, ShapeKeyOffsetsApplyOnlyWhenSwitchedOn) {
    orthoCamera();
    Material m = diffuseMaterial(1, 1, 1);
    rig->set(7, &m, sizeof m);
    float offsets[4] = {1, 0, 0, 0};  // entry 0 moves 1 unit (16 pixels) right
    rig->set(10, offsets, sizeof offsets);
    rig->layout1(facingTriangle(1, 0));
    rig->use("VSshade1", nullptr, "PSshade0");

    int off = 0;
    rig->set(9, &off, sizeof off);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    auto still = box(rig->read(), {0, 0, 0, 1});

    rig->clear(0, 0, 0);
    int on = 1;
    rig->set(9, &on, sizeof on);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    auto moved = box(rig->read(), {0, 0, 0, 1});
    rig->set(9, &off, sizeof off);

    ASSERT_GE(still[0], 0);
    EXPECT_EQ(moved[0], still[0] + 16);
    EXPECT_EQ(moved[1], still[1]);
}

TEST_F(Effect, SkinningBlendsTwoJointsWithStoredWeights) {
    orthoCamera();
    Material m = diffuseMaterial(1, 1, 1);
    rig->set(7, &m, sizeof m);
    rig->setMatrices(8, {translation(1, 0, 0), identity(), translation(0, -1, 0)});
    rig->use("VSshade0ba", "GSshade0", "PSshade0");
    auto draw = [](int j0, float w0, int j1, float w1) {
        std::vector<Vertex0ba> tri = {{{-1, 1, 0}, {0, 0}, -1, j0, w0, j1, w1},
                                      {{1, 1, 0}, {1, 0}, -1, j0, w0, j1, w1},
                                      {{-1, -1, 0}, {0, 1}, -1, j0, w0, j1, w1}};
        rig->clear(0, 0, 0);
        rig->layout0ba(tri);
        glDrawArrays(GL_TRIANGLES, 0, 3);
        return box(rig->read(), {0, 0, 0, 1});
    };
    auto rest = draw(1, 1, -1, 0);
    auto half = draw(0, .5f, 1, .5f);       // half a unit right: 8 pixels
    auto single = draw(2, 1, -1, 0);        // one joint: 1 unit down
    ASSERT_GE(rest[0], 0);
    EXPECT_EQ(half[0], rest[0] + 8);
    EXPECT_EQ(half[1], rest[1]);
    EXPECT_EQ(single[0], rest[0]);
    EXPECT_EQ(single[1], rest[1] + 16);
}

TEST_F(Effect, HairGrowsFromTheFaceInItsColour) {
    orthoCamera();
    Material m = diffuseMaterial(1, 1, 1);
    rig->set(7, &m, sizeof m);
    Hair h;
    h.count = 20;
    h.length = 1;
    h.vec[0] = 50;              // comb the strands towards +x
    h.color[1] = 1;             // green
    rig->set(11, &h, sizeof h);
    rig->layout1(facingTriangle(1));
    rig->use("VSshade1ph", "GSparticlehair", "PSpoint");
    glDrawArraysInstanced(GL_TRIANGLES, 0, 3, 3);
    auto p = rig->read();
    auto b = box(p, {0, 0, 0, 1});
    EXPECT_GT(countColor(p, 0, 1, 0), 20);
    EXPECT_GE(b[0], 16);        // roots lie on the triangle (pixels 16..47)
    EXPECT_GT(b[2], 48);        // tips reach past its right edge

    rig->clear(0, 0, 0);
    h.count = 0;
    rig->set(11, &h, sizeof h);
    glDrawArraysInstanced(GL_TRIANGLES, 0, 3, 3);
    EXPECT_EQ(box(rig->read(), {0, 0, 0, 1})[0], -1);
}

TEST_F(Effect, ToolMarkersAreSizedInPixels) {
    orthoCamera();
    Material m;
    m.diffuse[0] = .5f;
    m.diffuse[2] = .5f;
    m.mparam0 = kSize;          // screen width and height
    m.mparam1 = kSize;
    // A vertex at the centre of pixel (20, 20): world x = (20.5 / 64) * 4 - 2.
    float w = 20.5f / kSize * 4 - 2;
    rig->layout1({{{w, -w, 0}, {0, 0}, {0, 0, -1}, -1}});
    rig->use("VSshade1ph", "GStoolpoint", "PSpoint");

    m.texNo = -1;               // unselected
    rig->set(7, &m, sizeof m);
    glDrawArrays(GL_POINTS, 0, 1);
    auto p = rig->read();
    EXPECT_EQ(countColor(p, .5f, 0, .5f), 25);
    EXPECT_EQ(box(p, {0, 0, 0, 1}), (std::array<int, 4>{18, 18, 22, 22}));

    rig->clear(0, 0, 0);
    m.texNo = 0;                // selected
    rig->set(7, &m, sizeof m);
    glDrawArrays(GL_POINTS, 0, 1);
    EXPECT_EQ(countColor(rig->read(), 1, 0, 0), 64);
}

TEST_F(Effect, ToolEdgesOnlyForFrontFacingTriangles) {
    orthoCamera();
    rig->clear(1, 1, 1);
    std::vector<Vertex1> tri = facingTriangle(1);
    rig->layout1(tri);
    rig->use("VSshade1ph", "GStoolline", "PSpoint");
    glDrawArrays(GL_TRIANGLES, 0, 3);
    auto p = rig->read();
    EXPECT_EQ(box(p, {1, 1, 1, 1}), (std::array<int, 4>{16, 16, 47, 47}));
    EXPECT_TRUE(near(at(p, 30, 16), 0, 0, 0));   // top edge
    EXPECT_TRUE(near(at(p, 30, 30), 1, 1, 1));   // inside: edges only

    rig->clear(1, 1, 1);
    std::swap(tri[1], tri[2]);                    // counter-clockwise: back-facing
    rig->layout1(tri);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    EXPECT_EQ(box(rig->read(), {1, 1, 1, 1})[0], -1);
}

}  // namespace
