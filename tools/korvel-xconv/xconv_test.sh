#!/bin/sh
# korvel-xconv on a sample X file (writes its PT3 file, exit 0), on a file
# that is not a consistent X file (message for -13, exit 1), on a bad
# command line (exit 2) and, when the folder is given, on the X files of
# other exporters in it (each refused with the general converter named, no
# PT3 file). Arguments: the converter, a sample X file, [a folder].
set -u
conv=$1
sample=$2
others=${3:-}
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
if [ -n "$others" ]; then
  mkdir "$dir/others" && cp "$others"/*.x "$dir/others/"
  "$conv" --no-device "$dir"/others/*.x 2> "$dir/err"
  [ $? -eq 1 ] || { echo "other exporters' files did not fail"; exit 1; }
  [ "$(grep -c 'korvel-import' "$dir/err")" -eq "$(ls "$dir"/others/*.x | wc -l)" ] ||
    { echo "not every file refused with a reason"; cat "$dir/err"; exit 1; }
  ! ls "$dir"/others/*.pt3 2> /dev/null || { echo "PT3 written for a refused file"; exit 1; }
fi
echo ok
