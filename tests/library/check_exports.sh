#!/bin/sh
# The shared library must export exactly the functions the public header
# declares: a missing one breaks hosts at load time, an extra one leaks
# internals (and the symbols of the libraries linked into it) into every host.
set -eu
library=$1
header=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
grep -o '^KORVEL_API [^(]*(' "$header" | sed -E 's/.*[ *]([A-Za-z0-9_]+)\($/\1/' | sort -u > "$work/declared"
case $library in
  # A Windows DLL: the names of its export table.
  *.dll) x86_64-w64-mingw32-objdump -p "$library" |
           awk '/^\[Ordinal\/Name Pointer\] Table/ {t = 1; next} t && /^$/ {t = 0} t {print $NF}' ;;
  *) nm -D --defined-only "$library" | awk '$2 ~ /^[TWiV]$/ {print $3}' ;;
esac | sort -u > "$work/exported"
comm -23 "$work/declared" "$work/exported" > "$work/missing"
comm -13 "$work/declared" "$work/exported" > "$work/extra"
if [ -s "$work/missing" ]; then echo "declared but not exported:"; cat "$work/missing"; fi
if [ -s "$work/extra" ]; then echo "exported but not declared:"; cat "$work/extra"; fi
[ ! -s "$work/missing" ] && [ ! -s "$work/extra" ] && echo "$(wc -l < "$work/declared") exports, all declared"
