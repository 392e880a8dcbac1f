#!/usr/bin/env bash
# Renders the README's pictures again into docs/images/: two frames of the
# demo and one of korvel-view showing a converted model, each shrunk to
# 640 x 480 with 5 bits per colour so that the PNG stays small.
#   tools/update-pictures.sh        (after tools/build.sh demo; needs python3)
# KORVEL_BUILD_DIR names the build folder (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(cd "${KORVEL_BUILD_DIR:-build}" && pwd)
images=$root/docs/images

cmake --build "$build" --target korvel-demo korvel-view
models=$build/examples/demo-models
if [ ! -f "$models/BCN_Epileptic.pt3" ]; then
  echo "update-pictures: $models lacks the converted models (libassimp-dev, assimp-testmodels)" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/Korvelv0.fx" "$work/"
cd "$work"
# The default headless run, its last frame; then the walker running while
# the figure on the right jumps.
"$build/examples/korvel-demo" > /dev/null
cp demo-frames/frame_011.png demo.png
rm -rf demo-frames
"$build/examples/korvel-demo" --motion 1 --frames 41 > /dev/null
cp demo-frames/frame_040.png demo-run.png
"$build/tools/korvel-view/korvel-view" "$models/BCN_Epileptic.pt3" --frames 0:45 --step 45 --orbit 40 \
  --out view-frames > /dev/null
cp view-frames/frame_0001.png viewer.png

mkdir -p "$images"
for name in demo demo-run viewer; do
  python3 - "$name.png" "$images/$name.png" <<'EOF'
# Shrinks an 8-bit RGB or RGBA PNG to 640 x 480 RGB by averaging boxes of
# pixels, keeping 5 bits of each colour (the PNG compresses far better).
import struct, sys, zlib

WIDTH, HEIGHT, BITS = 640, 480, 5

def read_png(path):
    data = open(path, 'rb').read()
    at, idat = 8, b''
    while at < len(data):
        size = struct.unpack('>I', data[at:at + 4])[0]
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + size]
        if kind == b'IHDR':
            w, h, depth, colour = struct.unpack('>IIBB', body[:10])
        elif kind == b'IDAT':
            idat += body
        at += 12 + size
    if depth != 8 or colour not in (2, 6):
        sys.exit('update-pictures: %s is not an 8-bit RGB or RGBA PNG' % path)
    bpp = 3 if colour == 2 else 4
    raw, stride = zlib.decompress(idat), w * bpp
    pixels, prev, o = bytearray(), bytearray(stride), 0
    for _ in range(h):
        kind, line = raw[o], bytearray(raw[o + 1:o + 1 + stride])
        o += 1 + stride
        for x in range(stride):
            a = line[x - bpp] if x >= bpp else 0
            b = prev[x]
            c = prev[x - bpp] if x >= bpp else 0
            if kind == 1: line[x] = (line[x] + a) & 255
            elif kind == 2: line[x] = (line[x] + b) & 255
            elif kind == 3: line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        pixels += line
        prev = line
    return w, h, bpp, pixels

def shrink(w, h, bpp, pixels):
    out, keep, half = bytearray(), (0xff << (8 - BITS)) & 0xff, 1 << (7 - BITS)
    for Y in range(HEIGHT):
        y0, y1 = Y * h // HEIGHT, max(Y * h // HEIGHT + 1, (Y + 1) * h // HEIGHT)
        for X in range(WIDTH):
            x0, x1 = X * w // WIDTH, max(X * w // WIDTH + 1, (X + 1) * w // WIDTH)
            area = (y1 - y0) * (x1 - x0)
            for c in range(3):
                total = sum(pixels[(y * w + x) * bpp + c] for y in range(y0, y1) for x in range(x0, x1))
                out.append(min(255, ((total // area) & keep) + half))
    return out

def write_png(path, rgb):
    stride, rows = WIDTH * 3, bytearray()
    for y in range(HEIGHT):
        line = rgb[y * stride:(y + 1) * stride]
        rows.append(1)  # filter "sub": each byte minus the one a pixel to its left
        rows += bytes((line[x] - (line[x - 3] if x >= 3 else 0)) & 255 for x in range(stride))
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
    header = struct.pack('>IIBBBBB', WIDTH, HEIGHT, 8, 2, 0, 0, 0)
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(bytes(rows), 9))
                + chunk(b'IEND', b''))

write_png(sys.argv[2], shrink(*read_png(sys.argv[1])))
EOF
  echo "update-pictures: docs/images/$name.png ($(stat -c %s "$images/$name.png") bytes)"
done
