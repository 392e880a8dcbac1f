#!/bin/sh
# korvel-view renders the sample skinned model headless: every frame of the
# range is written, and an orbit gives pictures that differ. With the folder
# of the importer's test models as third argument, other formats too.
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
# Other formats, and an X file of another exporter, load through the
# conversion; a broken file fails with the conversion's reason.
if [ -n "$3" ]; then
    for file in glTF2/simple_skin/simple_skin.gltf X/anim_test.x OBJ/spider.obj; do
        rm -f "$out"/frame_*.png
        "$view" "$3/$file" --frames 0:0 --out "$out" >/dev/null
        test -s "$out/frame_0000.png"
    done
    if "$view" "$3/invalid/malformed.obj" --out "$out" 2>"$out/message"; then exit 1; fi
    grep -q "^korvel-view: cannot load $3/invalid/malformed.obj: ." "$out/message"
fi
if command -v xvfb-run >/dev/null; then
    xvfb-run -a -s "-screen 0 1024x768x24" "$view" "$model" --window --count 30 >/dev/null
fi
echo ok
