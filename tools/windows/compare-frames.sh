#!/usr/bin/env bash
# Compares the Windows build's demo frames with the Linux build's frames of
# the same scene: every pixel must be identical except in two boxes,
#   the caption (16,12)-(430,84): GDI rasterises the text on Windows,
#     FreeType on Linux;
#   the campfire (340,150)-(460,345): its particles start from the C
#     library's rand(), whose sequence after the same srand(1) differs
#     between msvcrt and glibc.
# Inside the boxes at most 2.5 % of the frame may differ by more than 8 per
# channel. A diff picture of each failing frame is left beside it.
#   tools/windows/compare-frames.sh LINUX_BUILD WINDOWS_BUILD FRAMES
set -euo pipefail
linux=$1
windows=$2
frames=$3
compare=$linux/tools/frame-compare/korvel-frame-compare
status=0
for ((i = 0; i < frames; ++i)); do
  name=$(printf 'frame_%03d.png' "$i")
  a=$linux/demo-frames/$name
  b=$windows/demo-frames/$name
  "$compare" "$a" "$b" --ignore 16,12,430,84 --ignore 340,150,460,345 --diff "$b.diff.png" || status=1
  "$compare" "$a" "$b" --tolerance 8 --max-share 0.025 || status=1
done
[ $status -eq 0 ] && rm -f "$windows"/demo-frames/*.diff.png
exit $status
