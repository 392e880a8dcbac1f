/*
 * Korvelv0 — a rendering library for games and modelling tools.
 *
 * One shared library (libKorvelv0.so) with a flat C interface. All state lives
 * inside the library in fixed tables of numbered slots: the host refers to
 * textures, fonts, particle groups, models and instances by the small integers
 * that the creating calls return.
 *
 * Conventions
 *  - ints are 32-bit; reals arrive as double and are used as float unless a
 *    call says otherwise; colours are 0 to 255 and divided by 255 unclamped.
 *  - wide strings are wchar_t (UTF-32 on Linux); file paths are converted to
 *    UTF-8 before they reach the file system.
 *  - a negative int result is a failure code specific to each call.
 *  - every call runs on the host's rendering thread; none may run at the
 *    same time as another.
 *  - every export is memory-safe for any argument values: a slot, part,
 *    vertex or face number out of range does nothing or returns a negative
 *    code, and no file content can crash the library.
 *
 * The effect file "Korvelv0.fx" must be in the working directory at
 * InitDevice: it holds the shaders, compiled at run time. It is a regular
 * file of at most 256 KiB; docs/effect-file.md gives its entry points,
 * what each may read and write, and the limits on its source.
 */
#ifndef KORVELV0_H
#define KORVELV0_H

#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

#if defined(_WIN32)
#define KORVEL_API __declspec(dllexport)
#else
#define KORVEL_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---------------------------------------------------------------- device and frame
 *
 * InitDevice(window): window is the platform window that receives the output.
 *   On Linux it is an X11 Window id cast to a pointer, e.g.
 *   InitDevice((void*)(uintptr_t)xwindow); the library opens its own display
 *   connection ($DISPLAY). Pass NULL for a headless device, which renders into
 *   an off-screen back buffer of ScreenWidth x ScreenHeight (read it back with
 *   BackBufferToFile).
 *   Returns the feature level (0xB000) or a negative failure code:
 *   -1 no device, -2/-3 back buffer, -4/-5 depth buffer, -6 to -77 shader,
 *   layout, constant-buffer and state creation (docs/effect-file.md lists
 *   the shader codes; an unreadable or oversized effect file fails with -6,
 *   an entry point that breaks its contract with its own code), -36/-37
 *   text texture, -58 wireframe state. After a failure call CleanupDevice.
 * IsDeviceRemoved: 1 device usable, 0 hung or reset, -1 removed otherwise
 *   (also when there is no device).
 * ClearColorZ: a red value above 0 clears the colour too; 0 or less clears
 *   depth only.
 *
 * Without a device (before InitDevice and after CleanupDevice) a tool can
 * still load, build and inspect models. These calls work as they do with a
 * device:
 *  - ScreenSizeSet and the camera and lighting setters: the values are kept
 *    for picking and projection (the matrices reach the GPU only while a
 *    device exists, and InitDevice installs the default projection: set the
 *    camera again after InitDevice);
 *  - the model store calls, ReadPT3file and ReadXfile (material textures are
 *    not loaded: their texture number is -1) and the tool model input calls;
 *  - the instance calls, material parameters and the tool selection calls;
 *  - CPU evaluation and boxes, intersection tests, picking and screen
 *    projection;
 *  - the keyboard counters.
 * Every other call needs a device, and without one does nothing or returns
 * its failure value: ClearColorZ, SwapChainPresent, the render-target and
 * capture calls (CreateTextureforRTandSRV -1, leaving the target's size as
 * it was), textures and sprites, fonts and text, points and lines, particle
 * groups, the buffer builders (-2), RenderImage and ToolRenderImage.
 */
KORVEL_API int InitDevice(void* window);
KORVEL_API void CleanupDevice(void);
KORVEL_API int IsDeviceRemoved(void);
KORVEL_API void SwapChainPresent(void);
KORVEL_API void ClearColorZ(int red, int green, int blue, double depth);

/* ---------------------------------------------------------------- render targets and capture
 * CreateTextureforRTandSRV: the off-screen target, used as texture number
 *   101; returns 101, or -1 texture (also for a width or height of 0 or
 *   less or above the device's largest texture, 16384 on most devices),
 *   -2 target view, -3 texture view, -4 depth buffer, -5 depth view (with a
 *   device, width and height are kept either way).
 * SetViewportsandRenderTargets: 101 draws into the off-screen target, 0 into
 *   the screen; ClearColorZ then clears the selected one.
 * BackBufferToFile kinds: 0 BMP, 1 JPG, 3 PNG, 4 DDS; any other kind writes
 *   nothing. The file is opaque, as the screen shows the back buffer. */
KORVEL_API int CreateTextureforRTandSRV(int width, int height);
KORVEL_API void SetViewportsandRenderTargets(int target);
KORVEL_API void BackBufferToFile(int kind, const wchar_t* path);

/* ---------------------------------------------------------------- camera, screen and scene lighting
 * ScreenSizeSet: 0 = 640x480, 1 = 800x600, 2 = 1024x768, any other mode
 *   changes nothing; call before InitDevice.
 * ProjectionMatrixValueSet modes: 0 perspective (a = vertical field of view,
 * b = aspect), 1 perspective by view size (a, b = width, height at near),
 * 2 orthographic (a, b = width, height). */
KORVEL_API void ScreenSizeSet(int mode);
KORVEL_API void ViewMatrixValueSet(double eyeX, double eyeY, double eyeZ, double atX, double atY, double atZ,
                                   double upX, double upY, double upZ);
KORVEL_API void ProjectionMatrixValueSet(int mode, double a, double b, double nearZ, double farZ);
KORVEL_API void SceneAmbientColorSet(int red, int green, int blue);
KORVEL_API void SetPointLightPos(double x, double y, double z);
KORVEL_API void SetktexkdifkemikspcMparam(double ktex, double kdif, double kemi, double kspc, double Mparam0,
                                          double Mparam1);

/* ---------------------------------------------------------------- textures and sprites
 * Texture numbers: 0-99 loaded textures, 100 the text texture, 101 the
 * off-screen target, -1 none. Blend modes: 0 off, 1 add, 2 subtract
 * (destination minus source), 3 alpha, 4 constant factor, 5 constant factor
 * with the alpha-keyed pixel shader; other values keep the previous blend.
 * readtexture loads PNG, JPG, BMP, TGA, GIF or DDS (BC1 to BC3, RGB masks)
 * into the lowest free slot and returns it, or -1 (no device, all 100 slots
 * taken, or a file that cannot be loaded). Ceilings: a regular file of at
 * most 1 GiB and at most 16384 pixels a side (a size every OpenGL 4.5
 * device takes); a compressed image above 4,194,304 pixels needs one file
 * byte per 1,024 pixels. */
KORVEL_API int readtexture(const wchar_t* path);
KORVEL_API void CleanupDeviceSRV(int slot);
KORVEL_API void RenderSprite(int texno, int x, int y, double scalex, double scaley, double tu0, double tv0, double tu1,
                             double tv1, int blendmode, double angle, int pivotx, int pivoty, double z, double factor);
KORVEL_API void RenderSprite3d(int texno, int blendmode, double factor, const double X[4], const double Y[4],
                               const double Z[4], const double U[4], const double V[4]);

/* ---------------------------------------------------------------- model store
 * Models live in 50 slots (model numbers 0 to 49); a creating call takes the
 * lowest free one. Every call below does nothing, or returns -1, for a model
 * number outside 0 to 49 or a free slot, and ignores indices outside the
 * model's tables and null arrays. Colours are 0 to 255, divided by 255.
 * ClearObj3d: with releasetextures 1 each distinct texture slot 0 to 99 of
 *   the model's materials is released once; then the model's tables.
 * Obj3dInfoGet out: normalmode, NumVertex, NumFace, NumMaterial, NumPart,
 *   NumJoint, NumMotion, NumTotalFrame, NumShapekey, NumShapekeyVertex,
 *   NumShapekeydata, NumParticlehairFace.
 * Obj3dGetMotionkindframe / Obj3dGetShapekeykindframe: the last key frame
 *   number of a motion / shape-key kind; -1 when there is none.
 * The Alloc calls replace a table with count zeroed records; the Set calls
 *   fill it. Set the shape-key kinds in ascending order; rebuild the GPU
 *   buffers afterwards. A count outside 0 to its ceiling changes nothing:
 *   Obj3dAllocShapekeyinfo 65536 kinds; Obj3dAllocShapekeyvertex the
 *   model's vertex count (each vertex listed once); Obj3dAllocShapekeytrans
 *   the vertex count x 1024 (keys per vertex over all kinds);
 *   Obj3dAllocParticlehairFace the face count (one hair record per face).
 *   Obj3dSetShapekeyinfo does nothing for numvertex outside 0 to the vertex
 *   count or numframe outside 0 to 1024.
 * Every call of this section works without a device, as do ReadPT3file and
 * the tool input calls: tools may load, build and query models before
 * InitDevice or after CleanupDevice (which releases every model). */
KORVEL_API void ClearObj3d(int model, int releasetextures);
KORVEL_API void Obj3dInfoGet(int model, int out[12]);
KORVEL_API void Obj3dPointInfoGet0(int model, int vertex, double out[3]);
KORVEL_API int Obj3dGetMotionnum(int model);
KORVEL_API int Obj3dGetMotionkindframe(int model, int motion);
KORVEL_API int Obj3dGetShapekeynum(int model);
KORVEL_API int Obj3dGetShapekeykindframe(int model, int kind);
KORVEL_API void Obj3dAllocShapekeyinfo(int model, int count);
KORVEL_API void Obj3dSetShapekeyinfo(int model, int kind, int numvertex, int numframe);
KORVEL_API void Obj3dAllocShapekeyvertex(int model, int count);
KORVEL_API void Obj3dSetShapekeyvertex(int model, const int* list);
KORVEL_API void Obj3dAllocShapekeytrans(int model, int count);
KORVEL_API void Obj3dSetShapekeytrans(int model, const int* vertexno, const int* frameno, const double* dx,
                                      const double* dy, const double* dz);
KORVEL_API void Obj3dAllocParticlehairFace(int model, int count);
KORVEL_API void Obj3dSetParticlehairFace(int model, const int* faceno, const int* hairparam0, const double* hairlength,
                                         const int* hairparam1, const int* hairparam2, const double* vecx,
                                         const double* vecy, const double* vecz, const int* r, const int* g,
                                         const int* b);
KORVEL_API void Obj3dSetParticlehairFaceEach(int model, int index, int hairparam0, double hairlength, int hairparam1,
                                             int hairparam2, double vecx, double vecy, double vecz, int r, int g,
                                             int b);

/* ---------------------------------------------------------------- PT3 model files
 * ReadPT3file returns the model number or: -1 no free slot, -2 path longer
 * than 511 bytes in UTF-8 (or null), -3 cannot open, -4 header, -5 line 2
 * lacks normals (normalmode 1) or skin columns (model with joints), -6
 * vertex, -7 face, -8 normal or material, -11 weight, -12 joint table;
 * -13 the file is unsafe: a negative count, a count larger than the file,
 * an index outside its table, or faces of one part and material on lines
 * that are not consecutive (see docs/models.md). After a failure past
 * -3 the slot stays taken until ClearObj3d. Only regular files are read
 * (a folder, FIFO or device is -3 at once) and at most 1 GiB (-13, before
 * a slot is taken). Lengths are multiplied by scale; textures are looked
 * up as written, then next to the model file; without a device no texture
 * loads and every material has texture -1. */
KORVEL_API int ReadPT3file(const wchar_t* path, int normalmode, double scale);

/* ---------------------------------------------------------------- model buffers
 * Rebuild the shared GPU buffers of one layout group (0: no normals, 1:
 * normals, 0ba / 1ba: the same with motions) from every loaded model of the
 * group: 1 success, -1 no vertices (nothing changed), -2 vertex buffer
 * failed, -3 no faces, -4 index buffer failed.
 * MakeParticleHairIndexBuffer: 1, -1 no hair, -2 failed.
 * These need a device: without one they return -2 at once and change
 * nothing (no buffer, base vertex, start index or draw range). */
KORVEL_API int MakeVertexIndexBuffer0(void);
KORVEL_API int MakeVertexIndexBuffer1(void);
KORVEL_API int MakeVertexIndexBuffer0ba(void);
KORVEL_API int MakeVertexIndexBuffer1ba(void);
KORVEL_API int MakeParticleHairIndexBuffer(void);

/* ---------------------------------------------------------------- tool model input
 * ToolMakeObj3d returns the model number or: -11 no free slot, -1 header,
 * -2 vertex, -3 normal, -4 weight, -5 face, -6 material, -7 joint, -9
 * motion, -10 frameno, -8 keyframe table. A count outside 0 to its
 * ceiling returns its table's code before anything is allocated (the slot
 * stays free): 16777216 vertices, 16777216 faces, 65536 materials, 65536
 * joints, 65536 motions, 16777216 total frames, and 16777216 key records
 * (numtotalframe x nummotion x numjoint). The input calls copy as many
 * records as the header counts from each array (keys: NumTotalFrame x
 * NumMotion x NumJoint, argument order scale x y z, rotation w x y z,
 * translation x y z). All work without a device. */
KORVEL_API int ToolMakeObj3d(int numvertex, int normalmode, int hasweights, int numface, int nummaterial, int numjoint,
                             int nummotion, int numtotalframe);
KORVEL_API void ToolDataInputVertexData(int model, const int* partno, const int* matno, const int* originalvertexno,
                                        const double* texu, const double* texv, const double* posx, const double* posy,
                                        const double* posz);
KORVEL_API void ToolDataInputVertexNorm(int model, const double* normx, const double* normy, const double* normz);
KORVEL_API void ToolDataInputVertexJointWeight(int model, const int* jointno0, const double* weight0,
                                               const int* jointno1, const double* weight1);
KORVEL_API void ToolDataInputFaceData(int model, const int* partno, const int* matno, const int* vertexno0,
                                      const int* vertexno1, const int* vertexno2);
KORVEL_API void ToolDataInputJointData(int model, const int* parentjointno, const double* parentposx,
                                       const double* parentposy, const double* parentposz);
KORVEL_API void ToolDataInputFrameData(int model, const int* frameno);
KORVEL_API void ToolDataInputMotionData(int model, const double* scalex, const double* scaley, const double* scalez,
                                        const double* rot4w, const double* rot4x, const double* rot4y,
                                        const double* rot4z, const double* transx, const double* transy,
                                        const double* transz);

/* ---------------------------------------------------------------- model instances and material parameters
 * 200 instance slots. CreateImage3d returns the slot, -1 when all are in use,
 * -2 when the model slot is out of range, empty or still loading, -3 when its
 * record cannot be allocated. Reals are rounded to float; alpha is rounded to
 * float and kept as double. Image3dSetRendarparam stores the low byte of each
 * switch: boxmode (0 none, 1 aabox, 2 part oboxes, other both), cullmode
 * (1 on aabox, 2 on part oboxes, other none), partmode (1 per-part
 * transforms), hairmode (1 draw particle hair; the default follows the
 * model's hair). Empty slots and part or material numbers outside the model
 * change nothing; Obj3dGetMaterialParamTexsrvno then returns -1. */
KORVEL_API int CreateImage3d(int model);
KORVEL_API void ClearImage3d(int image);
KORVEL_API void ImageSetScaleRotTransAlpha(int image, double sx, double sy, double sz, double rx, double ry, double rz,
                                           double tx, double ty, double tz, double alpha);
KORVEL_API void Image3dPartinfoSet(int image, int part, double sx, double sy, double sz, double rx, double ry,
                                   double rz, double tx, double ty, double tz, double alpha);
KORVEL_API void Image3dSetRendarparam(int image, int boxmode, int cullmode, int partmode, int hairmode);
KORVEL_API void Obj3dSetMaterialParam(int model, int material, int blendmode, int r, int g, int b, double alpha,
                                      double power, int specularR, int specularG, int specularB, int emissiveR,
                                      int emissiveG, int emissiveB, int texsrvno);
KORVEL_API int Obj3dGetMaterialParamTexsrvno(int model, int material);
KORVEL_API void SetWorldParticlehairRotMatrix(double ax, double ay, double az, double angle);

/* ---------------------------------------------------------------- CPU evaluation and bounding boxes
 * Box selector: 1 aabox only, 2 part oboxes only, other both. A box is present
 * when its x extent is above 0. Negative motion: unposed; negative shapekey:
 * none. An empty instance or model slot, a motion or shape key the model does
 * not have, or a model whose tables disagree: nothing is written. A vertex
 * number outside the model leaves its x, y, z entries unwritten. Per-part
 * arrays hold the instance's part count (the model's NumPart at creation).
 * A box fitted to points is always present: a flat one (x extent 0) gets the
 * smallest normal float as its x extent. */
KORVEL_API void Image3dCalcAaboxOboxVtxCpu(int image, int motion, int frame, int boxselector);
KORVEL_API void Image3dCalcAaboxOboxVtxCpu1(int image, int motion, int frame, int boxselector, double centerx[],
                                            double centery[], double centerz[], double extentx[], double extenty[],
                                            double extentz[]);
KORVEL_API void Image3dAaboxOboxTranslate(int image, const double offset[3]);
KORVEL_API void GetImage3dAabox(int image, double center[3], double extents[3]);
KORVEL_API void GetImage3dObox(int image, double centerx[], double centery[], double centerz[], double extentx[],
                               double extenty[], double extentz[], double orientx[], double orienty[], double orientz[],
                               double orientw[]);
KORVEL_API void Image3dVertexPosGet(int image, int shapekey, int shapekeyframe, int motion, int frame, int count,
                                    const int vertexno[], double x[], double y[], double z[]);

/* ---------------------------------------------------------------- intersection tests
 * Box tests: 1 overlap (touching counts), 0 apart, -1 when either box is
 * absent or the instance or part does not exist. The ray test writes the
 * nearest front-facing face hit and its ray parameter, or -1 and 1e10; it
 * writes nothing when the instance, its model, the motion or the shape key
 * does not exist. */
KORVEL_API int IntersectImage3dAabox(int imageA, int imageB);
KORVEL_API int IntersectImage3dObox(int imageA, int partA, int imageB, int partB);
KORVEL_API void IntersectRayTriangleOfImage3d(const double origin[3], const double direction[3], int image,
                                              int shapekey, int shapekeyframe, int motion, int frame, int* face,
                                              double* distance);

/* ---------------------------------------------------------------- picking and screen projection
 * Through the current camera and screen size. Picks work on the model's own
 * stored positions (no instance transform, no pose) and return a vertex or
 * face number, or -1; segment vertex pick within 0.05 model units of the
 * line, screen vertex pick within 18 square pixels. GetObj3dSphere writes
 * nothing for an empty model slot or a model without vertices. */
KORVEL_API void PosFromWorldToScreen(const double world[3], int screen[2], double* depth);
KORVEL_API void PosFromScreenToWorld(const int screen[2], double nearpoint[3], double farpoint[3]);
KORVEL_API void GetObj3dSphere(int model, double sphere[4]);
KORVEL_API int LineNZObj3dPointCheck(const double start[3], const double end[3], int model);
KORVEL_API int LineNZObj3dTriangleCheck(const double start[3], const double end[3], int model);
KORVEL_API int ScreenxyObj3dPointCheck(int x, int y, int model, int shapekey, int shapekeyframe);

/* ---------------------------------------------------------------- X files
 * ReadXfile imports a text X file of the paired exporter's layout (see
 * docs/xfile.md) into the lowest free model slot. normalmode 1 computes
 * normals; scale multiplies positions, joint positions and key
 * translations; skinmode 1 reads skin weights and joints, 2 also animation
 * sets; writept3 1 writes "<name>.pt3" next to the file (the last ".x" of
 * the file's own name replaced, else ".pt3" appended) and keeps the model,
 * 2 writes it and releases the model. Only regular files up to 1 GiB are
 * read. Returns the model number or: -1 no free slot (also after a PT3
 * written with writept3 2), -2 path longer than 511 bytes in UTF-8 (or
 * null), -3 cannot open (or not a regular file), -4 header (or working
 * memory), -5 face, -6 vertex, -7 material, -8 normal, -10 weight, -11 joint
 * table, -9 PT3 name too long, -13 the file cannot make a consistent model
 * (bad counts or indices, or above 1 GiB; the slot is then free when the
 * counting found it, else taken until ClearObj3d), -14 a binary X file,
 * -15 a compressed X file, -16 meshes of another exporter's layout, -17 no
 * mesh with vertices (-14 to -17 take no slot and write nothing). A PT3
 * file that cannot be created leaves the model loaded and returns its
 * number whatever writept3 is. */
KORVEL_API int ReadXfile(const wchar_t* path, int normalmode, double scale, int skinmode, int writept3);

/* ---------------------------------------------------------------- model drawing
 * RenderImage draws an instance with the current camera: pass 1 the
 * materials whose effective alpha (instance or part alpha x material alpha)
 * is 1 or more, pass 0 those not exactly 1, any other pass all; particle
 * hair whatever the pass. shapekey and motion -1 select none. Nothing is
 * drawn for an empty slot, an instance whose model was cleared or reloaded
 * with another part count, a model whose layout group was not built after
 * it was loaded, or a pose the constant buffers cannot hold; draw ranges
 * outside the shared buffers are skipped (see docs/model-drawing.md). */
KORVEL_API void RenderImage(int image, int pass, int shapekey, int shapekeyframe, int motion, int frame);

/* ---------------------------------------------------------------- tool drawing and selection
 * ToolSelectPreparation makes zero-filled selection arrays for the model's
 * vertices and faces (counts[0], counts[1] receive the two counts); the
 * setters store the low byte of flag (1 selected). ToolRenderImage draws as
 * RenderImage passes 1 and 0 do, then with linemode 1 the edges of opaque
 * parts and the selected faces tinted, with pointmode 1 one marker per
 * unsplit vertex of opaque parts. Overlays need arrays prepared for a model
 * of the same vertex and face counts; otherwise they are not drawn. */
KORVEL_API void ToolSelectPreparation(int model, int* counts);
KORVEL_API void ToolPointSetSelect(int vertex, int flag);
KORVEL_API void ToolFaceSetSelect(int face, int flag);
KORVEL_API void ToolRenderImage(int image, int shapekey, int shapekeyframe, int motion, int frame, int pointmode,
                                int linemode);

/* ---------------------------------------------------------------- math-only exports end here;
 * the families below are added by their modules. */

/* ---------------------------------------------------------------- text
 * Five font slots (0 to 4). myCreateFont returns the slot or -1 when all
 * are taken. height > 0 is the cell height in pixels, < 0 the character
 * height, 0 a default size; width 0 keeps the natural proportions, else the
 * average character width; weight 0 to 1000 (400 regular, 700 bold); face is
 * a font family name (fonts covering Japanese are preferred when the name
 * does not decide). Missing bold and italic faces are synthesised.
 * WriteTextTexture draws text into the library's 1024 x 1024 text bitmap in
 * the rectangle (x, y, width, height) from its top-left corner (lines broken
 * at CR, LF and CR LF, no wrapping, clipped; "&" underlines the next
 * character, "&&" draws "&"; character cells are filled opaque black;
 * text and cells stop short of the rectangle's last column and row), then
 * copies the whole rectangle into the text texture (texture number 100) with
 * opacity alpha * 255. clear 1 blacks the whole rectangle out first. The colour
 * arguments are stored blue-first, so the text shows with red = c3, green =
 * c2, blue = c1. Only the rectangle's texels are defined afterwards: show
 * each rectangle with RenderText before writing the next. A free font slot
 * or a rectangle not inside 1024 x 1024 does nothing.
 * RenderText shows the text-texture rectangle (srcx, srcy, width, height)
 * one texel per pixel at screen pixel (dstx, dsty), alpha-blended, depth 0. */
KORVEL_API int myCreateFont(int height, int width, int weight, int italic, int underline, int strikeout, int fixedpitch,
                            const wchar_t* face);
KORVEL_API void myDleteFont(int slot);
KORVEL_API void WriteTextTexture(const wchar_t* text, int font, int c1, int c2, int c3, double alpha, int x, int y,
                                 int width, int height, int clear);
KORVEL_API void RenderText(int srcx, int srcy, int width, int height, int dstx, int dsty);

/* ---------------------------------------------------------------- points and lines
 * Colours 0 to 255 with an opacity per point or end; lines are shaded from
 * end 0 to end 1 and anti-aliased. Blend modes: points 0 to 4 (4 uses the
 * opacity as the blend factor), lines 0 to 3; another mode keeps the blend
 * state of the previous draw. RenderLine3d takes world points, transformed
 * by the current view and projection. */
KORVEL_API void RenderPoint2d(int x, int y, int red, int green, int blue, double opacity, int blendmode);
KORVEL_API void RenderLine2d(int x0, int y0, int red0, int green0, int blue0, double opacity0, int x1, int y1, int red1,
                             int green1, int blue1, double opacity1, int blendmode);
KORVEL_API void RenderLine3d(const double p0[3], const int color0[3], double opacity0, const double p1[3],
                             const int color1[3], double opacity1, int blendmode);

/* ---------------------------------------------------------------- particle groups
 * Up to 20 groups (slots 0 to 19). Each ParticleMoveandRender call is one
 * step: every interval steps one particle is released at the emitter with a
 * start velocity per axis of velmin + (velmax - velmin) * k / 20, k =
 * rand() % 21 (seeded by InitDevice); each live particle is drawn as a quad
 * of size[0] x size[1] facing the camera, then moves by its velocity (y also
 * by drift) and is freed after lifetime steps. texno is a texture slot 0 to
 * 99; texrect is (u0, v0, u1, v1); velocity is velmin x, y, z then velmax
 * x, y, z; blend modes 0 to 5 as for sprites.
 * CreateParticle returns the slot, -1 when all 20 are taken or there is no
 * device, -2 when the record cannot be allocated (or an array is null), -3
 * when the particle array cannot be (also for a count outside 1 to 100,000,
 * refused before allocating); after -3 the slot stays taken until
 * ClearParticle.
 * The other calls do nothing for a free slot, a slot left by -3 or a number
 * outside 0 to 19. */
KORVEL_API int CreateParticle(const double emitter[3], const double size[2], int texno, const double texrect[4],
                              int interval, int lifetime, const double velocity[6], double drift, int count);
KORVEL_API void ParticleParamSet(int slot, const double emitter[3], const double size[2], int texno,
                                 const double texrect[4], int interval, int lifetime, const double velocity[6],
                                 double drift);
KORVEL_API void ParticleSetInit(int slot);
KORVEL_API void ParticleMoveandRender(int slot, int blendmode, double factor);
KORVEL_API void ClearParticle(int slot);

/* ---------------------------------------------------------------- keyboard counters
 * GetKeyboardCount samples every key once (call it once per frame): a key
 * that is down counts up to 255, any other key reads 0. Keys are indexed by
 * Windows virtual-key code (0x41 'A', 0x10 Shift, 0xA0/0xA1 left/right Shift,
 * 0x01 left mouse button, ...). With a windowed device the state comes from
 * the X server ($DISPLAY) while the device's window (or a window inside it)
 * has the input focus; without the focus, and with a headless device, every
 * key is up.
 * GetKeyboardCountByIndex returns a counter without sampling; a code outside
 * 0 to 255 returns 0.
 *
 * Extension: KeyboardStateSet hands the library the 256-byte key state (bit
 * 0x80 = down, indexed by virtual-key code) that the next GetKeyboardCount
 * uses instead of reading the X server once, for hosts that read input
 * themselves (SDL, GLFW, Wayland). NULL does nothing. */
KORVEL_API void GetKeyboardCount(void);
KORVEL_API int GetKeyboardCountByIndex(int virtualKey);
KORVEL_API void KeyboardStateSet(const unsigned char* state);

#ifdef __cplusplus
}
#endif

#endif /* KORVELV0_H */
