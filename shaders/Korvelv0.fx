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
//  - every constant-buffer field is a 4-byte scalar, a float4 or a float3
//    that starts a 16-byte row, so the byte offsets below are the same under
//    HLSL packing and under std140.

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
    SpriteVertex o;
    o.Pos = float4(SpriteX[id], SpriteY[id], SpriteZ[id], 1.0);
    if (SpriteSpace == 1)
        o.Pos = mul(mul(mul(o.Pos, World), View), Projection);
    o.Tex = float2(SpriteU[id], SpriteV[id]);
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
