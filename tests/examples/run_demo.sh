#!/bin/sh
# Runs korvel-demo in a scratch folder holding the effect file and checks
# that it wrote the expected number of frames.
#   run_demo.sh DEMO EFFECT_FILE EXPECTED_FRAMES [--xvfb] [demo arguments...]
set -eu
demo=$1
effect=$2
expected=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$effect" "$work/"
cd "$work"
if [ "${1:-}" = "--xvfb" ]; then
    shift
    xvfb-run -a -s "-screen 0 1024x768x24" "$demo" "$@"
else
    "$demo" "$@"
fi
frames=$(find demo-frames -name 'frame_*.png' -size +1k | wc -l)
if [ "$frames" -ne "$expected" ]; then
    echo "expected $expected frames, found $frames" >&2
    exit 1
fi
