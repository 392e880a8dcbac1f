#!/bin/sh
# korvel-view renders the sample skinned model headless: every frame of the
# range is written, and an orbit gives pictures that differ.
set -e
view="$1"
model="$2"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
"$view" "$model" --frames 0:20 --step 10 --orbit 60 --out "$out"
test -s "$out/frame_0000.png"
test -s "$out/frame_0001.png"
test -s "$out/frame_0002.png"
! cmp -s "$out/frame_0000.png" "$out/frame_0002.png"
"$view" "$model" --tool --motion -1 --out "$out/tool" >/dev/null
test -s "$out/tool/frame_0000.png"
if "$view" 2>/dev/null; then exit 1; fi
if command -v xvfb-run >/dev/null; then
    xvfb-run -a -s "-screen 0 1024x768x24" "$view" "$model" --window --count 30 >/dev/null
fi
echo ok
