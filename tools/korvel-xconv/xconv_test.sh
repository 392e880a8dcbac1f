#!/bin/sh
# korvel-xconv on a sample X file (writes its PT3 file, exit 0), on a file
# that is not a consistent X file (message for -13, exit 1) and on a bad
# command line (exit 2). Arguments: the converter, a sample X file.
set -u
conv=$1
sample=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$sample" "$dir/model.x"
"$conv" --no-device -n 1 -k 2 "$dir/model.x" || { echo "conversion failed"; exit 1; }
head -1 "$dir/model.pt3" | grep -q '^NumVertex;' || { echo "no PT3 written"; exit 1; }
{ head -212 "$sample"; printf '   Mesh Bad {\n    -4;\n'; } > "$dir/bad.x"
"$conv" --no-device "$dir/bad.x" 2> "$dir/err"
[ $? -eq 1 ] || { echo "bad file did not fail"; exit 1; }
grep -q 'consistent model' "$dir/err" || { echo "no message for -13"; cat "$dir/err"; exit 1; }
"$conv" -k 7 "$dir/model.x" 2> /dev/null
[ $? -eq 2 ] || { echo "bad option did not give 2"; exit 1; }
echo ok
