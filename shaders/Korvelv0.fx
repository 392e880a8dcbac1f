// Korvelv0.fx: the shaders of the Korvel rendering library.
//
// Shader model 4.0 HLSL (vs_4_0, gs_4_0, ps_4_0); every entry point is
// compiled on its own. Conventions shared by all entry points:
//  - constant buffer N is register bN in every stage; the one texture is t0
//    and the one sampler s0;
//  - the library keeps row-vector matrices and uploads their transposes, so
//    with the default column_major packing mul(float4(p, 1), M) is the
//    row-vector transform p x M;
//  - clip space is Direct3D's: y up, depth 0 (near) to 1 (far); clockwise
//    triangles as seen on screen are front faces;
//  - every constant-buffer field is a 4-byte scalar, a float2 at an 8-byte
//    offset, or a float3, float4 or matrix that starts a 16-byte row, so the
//    byte offsets below are the same under HLSL packing and under std140.
//    Bytes after the last field a shader reads are not declared;
//  - every geometry shader emits a vertex of two members (see ShadeVertex).

// ---------------------------------------------------------------------------
// Camera and placement

cbuffer cbView : register(b0)
{
    float4x4 View;          // world to view
};

cbuffer cbProjection : register(b1)
{
    float4x4 Projection;    // view to clip
};

cbuffer cbWorld : register(b2)
{
    float4x4 World;         // model to world (identity for 3D sprites and particles)
};

// ---------------------------------------------------------------------------
// Immediate drawing: sprites, points, lines, particles

// Sprite quad, 96 bytes. Entry i of the first five rows belongs to corner i;
// corners run top-left, top-right, bottom-left, bottom-right (strip order).
cbuffer cbSprite : register(b3)
{
    float4 SpriteX;         //  0: x of corners 0..3
    float4 SpriteY;         // 16: y of corners 0..3
    float4 SpriteZ;         // 32: z of corners 0..3
    float4 SpriteU;         // 48: u of corners 0..3
    float4 SpriteV;         // 64: v of corners 0..3
    int    SpriteSpace;     // 80: 0 = corners in clip space, 1 = in world space
};

// One point, 32 bytes.
cbuffer cbPoint : register(b4)
{
    float4 PointPos;        //  0: clip-space position
    float4 PointColor;      // 16: red, green, blue, opacity
};

// One line, 64 bytes: both ends with their own colour.
cbuffer cbLine : register(b5)
{
    float4 LinePos0;        //  0: clip-space position of end 0 (undivided)
    float4 LineColor0;      // 16: colour and opacity of end 0
    float4 LinePos1;        // 32: clip-space position of end 1
    float4 LineColor1;      // 48: colour and opacity of end 1
};

// One particle, 48 bytes. The host passes the texture rectangle as
// (u0, v0, u1, v1) and the library stores it as u0, u1, v0, v1.
cbuffer cbParticle : register(b6)
{
    float4 ParticlePos;     //  0: world position, w = 1
    float2 ParticleSize;    // 16: width and height of the quad, world units
    float2 ParticleU;       // 24: u at the left and at the right edge
    float2 ParticleV;       // 32: v at the top and at the bottom edge
};

Texture2D    Tex  : register(t0);
SamplerState Samp : register(s0);

// Textured vertex of sprites and particles.
struct SpriteVertex
{
    float4 Pos : SV_POSITION;
    float2 Tex : TEXCOORD0;
};

// Coloured vertex of points, lines, hair strands and tool overlays.
struct ColorVertex
{
    float4 Pos   : SV_POSITION;
    float4 Color : COLOR0;
};

// Sprite corner number id (0..3) from b3; world-space corners go through
// world, view and projection, clip-space corners pass unchanged.
SpriteVertex VSsprite(uint id : SV_VertexID)
{
    float4 pick = float4(id == uint4(0, 1, 2, 3));  // dot(row, pick) = entry id of a row
    SpriteVertex o;
    o.Pos = float4(dot(SpriteX, pick), dot(SpriteY, pick), dot(SpriteZ, pick), 1.0);
    if (SpriteSpace == 1)
        o.Pos = mul(mul(mul(o.Pos, World), View), Projection);
    o.Tex = float2(dot(SpriteU, pick), dot(SpriteV, pick));
    return o;
}

// The single point of b4.
ColorVertex VSpoint()
{
    ColorVertex o;
    o.Pos = PointPos;
    o.Color = PointColor;
    return o;
}

// End id (0 or 1) of the line in b5; colours blend along the line.
ColorVertex VSline(uint id : SV_VertexID)
{
    ColorVertex o;
    o.Pos = id == 0 ? LinePos0 : LinePos1;
    o.Color = id == 0 ? LineColor0 : LineColor1;
    return o;
}

// Corners of a unit quad in clockwise strip order: top-left, top-right,
// bottom-left, bottom-right (y up).
static const float2 QuadCorner[4] = { float2(-1, 1), float2(1, 1), float2(-1, -1), float2(1, -1) };

// The particle's world position, expanded by GS_PARTICLE.
struct ParticleVertex
{
    float4 WorldPos : POSITION;
};

ParticleVertex VSparticle()
{
    ParticleVertex o;
    o.WorldPos = mul(ParticlePos, World);
    return o;
}

// A camera-facing quad ParticleSize wide and high, centred on the particle,
// built in view space and emitted clockwise (top-left, top-right,
// bottom-left, bottom-right) with the texture rectangle of b6.
[maxvertexcount(4)]
void GS_PARTICLE(point ParticleVertex p[1], inout TriangleStream<SpriteVertex> quad)
{
    float4 center = mul(p[0].WorldPos, View);
    SpriteVertex o;
    [unroll]
    for (uint i = 0; i < 4; ++i)
    {
        o.Pos = mul(center + float4(0.5 * ParticleSize * QuadCorner[i], 0.0, 0.0), Projection);
        o.Tex = float2(ParticleU[i & 1], ParticleV[i >> 1]);
        quad.Append(o);
    }
}

// Textured sprites and particles: the texel as it is; blending decides how
// its alpha is used.
float4 PS(SpriteVertex i) : SV_Target
{
    return Tex.Sample(Samp, i.Tex);
}

// Sprites and particles drawn with a constant blend factor: that blend
// ignores source alpha, so texels less than half opaque are cut out here.
float4 PSddsalpha(SpriteVertex i) : SV_Target
{
    float4 c = Tex.Sample(Samp, i.Tex);
    clip(c.a - 0.5);
    return c;
}

// Points, lines, hair strands and tool overlays: the interpolated colour.
float4 PSpoint(ColorVertex i) : SV_Target
{
    return i.Color;
}

// ---------------------------------------------------------------------------
// Models

// Material and lighting, 112 bytes. Model triangles read it in the pixel
// stage, hair and tool markers in the geometry stage.
cbuffer cbMaterial : register(b7)
{
    float4 MatDiffuse;          //  0: diffuse rgb; a = effective alpha
    float  MatPower;            // 16: specular power
    float  MatSpecularR;        // 20: specular colour
    float  MatSpecularG;        // 24
    float  MatSpecularB;        // 28
    int    MatTexNo;            // 32: texture number, -1 = no texture (tool markers: 0 selected, -1 not)
    float  MatEmissiveR;        // 36: emissive colour
    float  MatEmissiveG;        // 40
    float  MatEmissiveB;        // 44
    float  Ktex;                // 48: weight of the texture (0 ignores it, 1 modulates fully)
    float  Kdif;                // 52: weight of the diffuse term
    float  Kemi;                // 56: weight of the emissive term
    float  Kspc;                // 60: weight of the specular term
    float4 LightPos;            // 64: world position of the point light (w unused)
    float3 EyePos;              // 80: world position of the camera
    float  Mparam0;             // 92: linear light attenuation per unit distance (tool markers: screen width)
    float3 AmbientColor;        // 96: scene ambient light
    float  Mparam1;             // 108: quadratic light attenuation (tool markers: screen height)
};

#define MAX_JOINTS            120
#define MAX_SHAPEKEY_VERTICES 64

// Joint palette, 7680 bytes: the posed matrix of each joint, transposed.
cbuffer cbPalette : register(b8)
{
    float4x4 Palette[MAX_JOINTS];
};

// Shape-key switch, read from the first 4 bytes of its 256-byte buffer.
cbuffer cbShapekeyFlag : register(b9)
{
    int ShapekeyOn;             // 1 when a shape key is applied
};

// Shape-key displacements, 1024 bytes: (dx, dy, dz, 0) per shape-key vertex.
cbuffer cbShapekeyOffset : register(b10)
{
    float4 ShapekeyOffset[MAX_SHAPEKEY_VERTICES];
};

// Particle hair of one hair face, 112 bytes.
cbuffer cbHair : register(b11)
{
    int      HairCount;         //  0: strands per drawing of the face (drawn 3 times), at most 64
    float    HairLength;        //  4: strand length, world units
    float    HairSpread;        //  8: strand lengths vary down to (100 - this) percent of HairLength
    int      HairSeed;          // 12: varies where strands grow between faces
    float4   HairVec;           // 16: xyz = world-space bias added to the surface normal (w unused)
    float4x4 HairRot;           // 32: rotation applied to every strand direction
    int      HairColorMode;     // 96: 2 texture, 1 HairColor, 0 material diffuse
    float    HairColorR;        // 100: strand colour for mode 1
    float    HairColorG;        // 104
    float    HairColorB;        // 108
};

// Vertex formats of the four model layouts, members in buffer order.
struct Vertex0
{
    float3 Pos     : POSITION;
    float2 Tex     : TEXCOORD0;
    int    Ski     : SHAPEKEYI;     // shape-key vertex index, -1 = none
};

struct Vertex1
{
    float3 Pos     : POSITION;
    float2 Tex     : TEXCOORD0;
    float3 Normal  : NORMAL;
    int    Ski     : SHAPEKEYI;
};

struct Vertex0ba
{
    float3 Pos     : POSITION;
    float2 Tex     : TEXCOORD0;
    int    Ski     : SHAPEKEYI;
    int    Joint0  : JOINTNO0;
    float  Weight0 : WEIGHT0;
    int    Joint1  : JOINTNO1;      // -1 = bound to one joint only
    float  Weight1 : WEIGHT1;
};

struct Vertex1ba
{
    float3 Pos     : POSITION;
    float2 Tex     : TEXCOORD0;
    float3 Normal  : NORMAL;
    int    Ski     : SHAPEKEYI;
    int    Joint0  : JOINTNO0;
    float  Weight0 : WEIGHT0;
    int    Joint1  : JOINTNO1;
    float  Weight1 : WEIGHT1;
};

// A model vertex after shape key and skinning, before the world matrix.
struct PosedVertex
{
    float4 Pos;                     // w is 1, or the sum of the skin weights
    float3 Normal;                  // zero for layouts without normals
    float2 Tex;
};

// Lit triangle vertex: the triangle pass's vertex shader output, the input
// and output of GSshade0, and the input of PSshade0. The surface point
// travels as one 3x3 interpolant so that, like every other geometry-shader
// output in this file, it has two members: the HLSL front end of the OpenGL
// path cannot compile a file whose geometry shaders emit vertices with
// different member counts.
struct ShadeVertex
{
    float4   Pos     : SV_POSITION;
    float3x3 Surface : SURFACE;     // rows: world position, world normal (not normalised), (u, v, 0)
};

// World-space vertex for the geometry shaders of hair and tool overlays.
struct WorldVertex
{
    float3 WorldPos : POSITION;
    float3 Normal   : NORMAL;       // world space, zero for layouts without normals
    float2 Tex      : TEXCOORD0;
    uint   Instance : INSTANCE;     // instance number of the draw
};

// Adds the active shape key's displacement to a model-space vertex.
PosedVertex Morph(float3 pos, float3 normal, float2 tex, int ski)
{
    PosedVertex v;
    v.Pos = float4(pos, 1.0);
    if (ShapekeyOn != 0 && ski >= 0 && ski < MAX_SHAPEKEY_VERTICES)
        v.Pos.xyz += ShapekeyOffset[ski].xyz;
    v.Normal = normal;
    v.Tex = tex;
    return v;
}

// Two-joint blend with the stored weights, not renormalised; the second
// joint counts only when its number is 0 or more. w = 1 for points, 0 for
// directions.
float4 Skin(float4 p, int joint0, float weight0, int joint1, float weight1)
{
    float4 r = weight0 * mul(p, Palette[joint0]);
    if (joint1 >= 0)
        r += weight1 * mul(p, Palette[joint1]);
    return r;
}

// A vertex that no joint weighs (both weights 0, as an X file vertex that no
// SkinWeights block names) keeps its bind pose instead of collapsing to the
// origin.
PosedVertex MorphSkin(float3 pos, float3 normal, float2 tex, int ski,
                      int joint0, float weight0, int joint1, float weight1)
{
    PosedVertex v = Morph(pos, normal, tex, ski);
    if (weight0 == 0.0 && (joint1 < 0 || weight1 == 0.0))
        return v;
    v.Pos = Skin(v.Pos, joint0, weight0, joint1, weight1);
    v.Normal = Skin(float4(v.Normal, 0.0), joint0, weight0, joint1, weight1).xyz;
    return v;
}

float3 ToWorld(PosedVertex v)
{
    return mul(v.Pos, World).xyz;
}

// Triangle pass: world position and normal, and the clip position.
ShadeVertex Shade(PosedVertex v)
{
    float3 worldPos = ToWorld(v);
    ShadeVertex o;
    o.Pos = mul(mul(float4(worldPos, 1.0), View), Projection);
    o.Surface = float3x3(worldPos, mul(v.Normal, (float3x3)World), float3(v.Tex, 0.0));
    return o;
}

// Hair and tool passes: world space only; the geometry shader projects.
WorldVertex Place(PosedVertex v, uint instance)
{
    WorldVertex o;
    o.WorldPos = ToWorld(v);
    o.Normal = mul(v.Normal, (float3x3)World);
    o.Tex = v.Tex;
    o.Instance = instance;
    return o;
}

// Model vertex shaders: layout 0 (no normals), 1 (normals), 0ba and 1ba
// (skinned); the "ph" variants feed the hair and tool geometry shaders.
ShadeVertex VSshade0(Vertex0 v)
{
    return Shade(Morph(v.Pos, 0.0, v.Tex, v.Ski));
}

WorldVertex VSshade0ph(Vertex0 v, uint instance : SV_InstanceID)
{
    return Place(Morph(v.Pos, 0.0, v.Tex, v.Ski), instance);
}

ShadeVertex VSshade1(Vertex1 v)
{
    return Shade(Morph(v.Pos, v.Normal, v.Tex, v.Ski));
}

WorldVertex VSshade1ph(Vertex1 v, uint instance : SV_InstanceID)
{
    return Place(Morph(v.Pos, v.Normal, v.Tex, v.Ski), instance);
}

ShadeVertex VSshade0ba(Vertex0ba v)
{
    return Shade(MorphSkin(v.Pos, 0.0, v.Tex, v.Ski, v.Joint0, v.Weight0, v.Joint1, v.Weight1));
}

WorldVertex VSshade0baph(Vertex0ba v, uint instance : SV_InstanceID)
{
    return Place(MorphSkin(v.Pos, 0.0, v.Tex, v.Ski, v.Joint0, v.Weight0, v.Joint1, v.Weight1), instance);
}

ShadeVertex VSshade1ba(Vertex1ba v)
{
    return Shade(MorphSkin(v.Pos, v.Normal, v.Tex, v.Ski, v.Joint0, v.Weight0, v.Joint1, v.Weight1));
}

WorldVertex VSshade1baph(Vertex1ba v, uint instance : SV_InstanceID)
{
    return Place(MorphSkin(v.Pos, v.Normal, v.Tex, v.Ski, v.Joint0, v.Weight0, v.Joint1, v.Weight1), instance);
}

// Outward normal of a clockwise (front-facing) triangle in a left-handed
// world, not normalised.
float3 FaceNormal(float3 a, float3 b, float3 c)
{
    return cross(b - a, c - a);
}

// Flat shading for layouts without normals: each triangle gets its face
// normal on all three corners.
[maxvertexcount(3)]
void GSshade0(triangle ShadeVertex v[3], inout TriangleStream<ShadeVertex> tri)
{
    float3 n = FaceNormal(v[0].Surface[0], v[1].Surface[0], v[2].Surface[0]);
    [unroll]
    for (uint i = 0; i < 3; ++i)
    {
        ShadeVertex o = v[i];
        o.Surface[1] = n;
        tri.Append(o);
    }
}

// Lights a model pixel with the point light and the scene ambient:
//   lit    = ambient x diffuse + kdif x diffuse x max(N.L, 0) x att + kemi x emissive
//   colour = lit x texel + kspc x specular x max(N.H, 0)^power x att
// with H the half vector towards light and eye, att = 1 / (1 + Mparam0 d +
// Mparam1 d^2) for light distance d, and texel the texture sample weighted
// by ktex (white when the material has no texture). Alpha is the effective
// alpha times the weighted texel alpha.
float4 PSshade0(ShadeVertex i) : SV_Target
{
    float3 worldPos = i.Surface[0];
    float3 n = normalize(i.Surface[1]);
    float3 toLight = LightPos.xyz - worldPos;
    float d = length(toLight);
    float3 l = toLight / d;
    float3 h = normalize(l + normalize(EyePos - worldPos));
    float att = 1.0 / (1.0 + Mparam0 * d + Mparam1 * d * d);

    float ndotl = max(dot(n, l), 0.0);
    float ndoth = max(dot(n, h), 0.0);
    float highlight = ndotl > 0.0 && ndoth > 0.0 ? pow(ndoth, MatPower) : 0.0;

    float3 diffuse = MatDiffuse.rgb;
    float3 specular = float3(MatSpecularR, MatSpecularG, MatSpecularB);
    float3 emissive = float3(MatEmissiveR, MatEmissiveG, MatEmissiveB);
    float4 sampled = Tex.Sample(Samp, i.Surface[2].xy);    // outside flow control: it needs gradients
    float4 texel = MatTexNo >= 0 ? lerp((float4)1.0, sampled, Ktex) : (float4)1.0;

    float3 lit = AmbientColor * diffuse + Kdif * diffuse * ndotl * att + Kemi * emissive;
    float3 rgb = lit * texel.rgb + Kspc * specular * highlight * att;
    return float4(rgb, MatDiffuse.a * texel.a);
}

// ---------------------------------------------------------------------------
// Particle hair and tool overlays

// Most vertices one drawing of a hair face emits: 128 vertices of 8 floats
// use all 1024 output floats of a shader model 4 geometry shader; a strand
// takes two.
#define MAX_HAIR_VERTICES 128

// Pseudo-random number in [0, 1) from an integer (PCG hash).
float Random(uint seed)
{
    uint h = seed * 747796405u + 2891336453u;
    h = ((h >> ((h >> 28u) + 4u)) ^ h) * 277803737u;
    h = (h >> 22u) ^ h;
    return (h >> 8u) * (1.0 / 16777216.0);
}

// Unit vector along v, or zero when v is zero.
float3 SafeNormalize(float3 v)
{
    float len2 = dot(v, v);
    return len2 > 0.0 ? v * rsqrt(len2) : 0.0;
}

float4 Project(float3 worldPos)
{
    return mul(mul(float4(worldPos, 1.0), View), Projection);
}

// Hair strands on one hair face. Each of the face's three drawings (one per
// instance) emits HairCount straight strands from pseudo-random points of
// the triangle. A strand grows along the surface normal there (the
// interpolated vertex normal, or the face normal for layouts without
// normals) plus HairVec, turned by HairRot, and is HairLength long, less a
// random share of up to HairSpread percent. Its colour is the texel under
// its root, HairColor or the material diffuse by HairColorMode, with the
// effective alpha of the material.
[maxvertexcount(MAX_HAIR_VERTICES)]
void GSparticlehair(triangle WorldVertex v[3], inout LineStream<ColorVertex> strands)
{
    float3 faceNormal = SafeNormalize(FaceNormal(v[0].WorldPos, v[1].WorldPos, v[2].WorldPos));
    uint count = (uint)clamp(HairCount, 0, MAX_HAIR_VERTICES / 2);
    uint seed = ((uint)HairSeed * 3u + v[0].Instance) * (MAX_HAIR_VERTICES / 2);
    ColorVertex o;
    for (uint k = 0; k < count; ++k)
    {
        uint strand = (seed + k) * 3u;
        float2 b = float2(Random(strand), Random(strand + 1u));
        if (b.x + b.y > 1.0)
            b = 1.0 - b;                                // fold into the triangle
        float3 w = float3(1.0 - b.x - b.y, b.x, b.y);   // barycentric weights
        float3 root = w.x * v[0].WorldPos + w.y * v[1].WorldPos + w.z * v[2].WorldPos;
        float3 normal = SafeNormalize(w.x * v[0].Normal + w.y * v[1].Normal + w.z * v[2].Normal);
        if (dot(normal, normal) == 0.0)
            normal = faceNormal;
        float3 dir = mul(SafeNormalize(normal + HairVec.xyz), (float3x3)HairRot);
        float len = HairLength * (1.0 - 0.01 * HairSpread * Random(strand + 2u));

        if (HairColorMode == 2)
        {
            float2 uv = w.x * v[0].Tex + w.y * v[1].Tex + w.z * v[2].Tex;
            o.Color = Tex.SampleLevel(Samp, uv, 0.0);
        }
        else if (HairColorMode == 1)
            o.Color = float4(HairColorR, HairColorG, HairColorB, 1.0);
        else
            o.Color = float4(MatDiffuse.rgb, 1.0);
        o.Color.a *= MatDiffuse.a;

        o.Pos = Project(root);
        strands.Append(o);
        o.Pos = Project(root + len * dir);
        strands.Append(o);
        strands.RestartStrip();
    }
}

// Overlays are pulled this share of the way towards the camera, so they win
// the depth test against the surface they lie on; along the view ray, so
// their place on screen does not change under a perspective projection.
static const float OverlayPull = 0.001;

// Clip position of an overlay point.
float4 ProjectOverlay(float3 worldPos)
{
    float4 viewPos = mul(float4(worldPos, 1.0), View);
    viewPos.xyz *= 1.0 - OverlayPull;
    return mul(viewPos, Projection);
}

static const float4 EdgeColor           = float4(0.0, 0.0, 0.0, 1.0);
static const float4 SelectedMarkerColor = float4(1.0, 0.0, 0.0, 1.0);
static const float  MarkerPixels         = 5.0;    // side of an unselected vertex marker
static const float  SelectedMarkerPixels = 8.0;    // side of a selected vertex marker

// Edge overlay: the three edges of every front-facing (clockwise on screen)
// triangle as one closed line strip. Facing comes from the sign of the
// homogeneous determinant of the clip positions, which stays right for
// triangles that cross the camera plane.
[maxvertexcount(4)]
void GStoolline(triangle WorldVertex v[3], inout LineStream<ColorVertex> edges)
{
    float4 c[3] = { ProjectOverlay(v[0].WorldPos), ProjectOverlay(v[1].WorldPos), ProjectOverlay(v[2].WorldPos) };
    if (determinant(float3x3(c[0].xyw, c[1].xyw, c[2].xyw)) >= 0.0)
        return;
    ColorVertex o;
    o.Color = EdgeColor;
    [unroll]
    for (uint i = 0; i < 4; ++i)
    {
        o.Pos = c[i % 3];
        edges.Append(o);
    }
}

// Vertex overlay: a square marker of fixed pixel size around the vertex,
// MarkerPixels in the material diffuse colour, or SelectedMarkerPixels in
// SelectedMarkerColor when the texture-number field is 0 (selected). The
// screen size in pixels comes in Mparam0 (width) and Mparam1 (height).
// Vertices behind the camera get no marker.
[maxvertexcount(4)]
void GStoolpoint(point WorldVertex v[1], inout TriangleStream<ColorVertex> marker)
{
    float4 center = ProjectOverlay(v[0].WorldPos);
    if (center.w <= 0.0)
        return;
    bool selected = MatTexNo == 0;
    // Half the side in clip units: (pixels / 2) x (2 / screen size) x w.
    float2 halfSide = (selected ? SelectedMarkerPixels : MarkerPixels) / float2(Mparam0, Mparam1) * center.w;
    ColorVertex o;
    o.Color = selected ? SelectedMarkerColor : MatDiffuse;
    [unroll]
    for (uint i = 0; i < 4; ++i)
    {
        o.Pos = center + float4(QuadCorner[i] * halfSide, 0.0, 0.0);
        marker.Append(o);
    }
}
