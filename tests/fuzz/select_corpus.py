#!/usr/bin/env python3
"""Picks a small corpus from a libFuzzer merge control file.

    select_corpus.py CONTROL_FILE OUT_FOLDER MAX_FILES MAX_BYTES

A merge (-merge=1 -merge_control_file=CONTROL_FILE) records every input
file and the features it reaches. This takes files greedily, each time the
one that adds the most features not yet reached per 2 KB of its size, until
MAX_FILES files or MAX_BYTES bytes are taken or nothing new is reached, and
copies them to OUT_FOLDER under the SHA-1 of their contents.
"""
import hashlib
import os
import sys


def read_control(path):
    lines = open(path).read().split("\n")
    count = int(lines[0])
    files = lines[2:2 + count]
    features = {}
    for line in lines[2 + count:]:
        if line.startswith("FT "):
            fields = line.split()
            features[int(fields[1])] = set(map(int, fields[2:]))
    return files, features


def select(files, features, max_files, max_bytes):
    chosen, reached, total = [], set(), 0
    while len(chosen) < max_files:
        best = None
        for index, reaches in features.items():
            size = os.path.getsize(files[index])
            gain = len(reaches - reached)
            if index in chosen or gain == 0 or total + size > max_bytes:
                continue
            key = (gain / (1 + size / 2048), -size)
            if best is None or key > best[0]:
                best = (key, index)
        if best is None:
            break
        chosen.append(best[1])
        reached |= features[best[1]]
        total += os.path.getsize(files[best[1]])
    return chosen, reached, total


def main():
    control, out, max_files, max_bytes = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    files, features = read_control(control)
    chosen, reached, total = select(files, features, max_files, max_bytes)
    os.makedirs(out, exist_ok=True)
    for index in chosen:
        data = open(files[index], "rb").read()
        open(os.path.join(out, hashlib.sha1(data).hexdigest()), "wb").write(data)
    every = set().union(*features.values()) if features else set()
    print(f"{len(chosen)} files, {total} bytes, {len(reached)} of {len(every)} features")


if __name__ == "__main__":
    main()
