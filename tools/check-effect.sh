#!/bin/sh
# Compiles every entry point of the effect file the way the OpenGL backend
# does (HLSL -> SPIR-V -> GLSL 4.50 separable program), checks that the GLSL
# itself compiles for OpenGL 4.5, and reports each entry point.
# Needs glslc and spirv-cross on PATH. Usage: tools/check-effect.sh [file] [outdir]
# With an outdir the GLSL of every entry point is kept there.
set -u
fx=${1:-$(dirname "$0")/../shaders/Korvelv0.fx}
out=${2:-}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0
for e in vert:VSsprite vert:VSpoint vert:VSline vert:VSparticle \
         vert:VSshade0 vert:VSshade0ph vert:VSshade1 vert:VSshade1ph \
         vert:VSshade0ba vert:VSshade0baph vert:VSshade1ba vert:VSshade1baph \
         geom:GS_PARTICLE geom:GSshade0 geom:GSparticlehair geom:GStoolpoint geom:GStoolline \
         frag:PS frag:PSpoint frag:PSddsalpha frag:PSshade0; do
    stage=${e%%:*}
    entry=${e#*:}
    if glslc -x hlsl --target-env=opengl4.5 -fshader-stage="$stage" -fentry-point="$entry" -fhlsl-iomap -fhlsl-offsets \
            -fhlsl-functionality1 -fauto-bind-uniforms -fauto-map-locations -o "$tmp/$entry.spv" "$fx" 2>"$tmp/err" &&
       spirv-cross --version 450 --separate-shader-objects --output "$tmp/$entry.glsl" \
            "$tmp/$entry.spv" 2>>"$tmp/err" &&
       glslc -fshader-stage="$stage" --target-env=opengl4.5 -o /dev/null "$tmp/$entry.glsl" 2>>"$tmp/err"; then
        echo "ok   $entry"
        [ -n "$out" ] && mkdir -p "$out" && cp "$tmp/$entry.glsl" "$out/"
    else
        echo "FAIL $entry"
        sed 's/^/     /' "$tmp/err"
        failed=$((failed + 1))
    fi
done
[ "$failed" -eq 0 ] || { echo "$failed entry point(s) failed"; exit 1; }
