#!/usr/bin/env python3
"""Packs the show's pictures and font into the page's data package.

Usage: pack-data.py DATA_DIR OUTPUT FILE...

The package is one gzip stream (the browser unpacks it with its own
DecompressionStream): a first line "glowmotion-data 1", a second line with a
JSON list of [name, size] pairs, then the files' bytes one after another in
that order. The page writes them to /data, where the show reads its media.
"""
import gzip
import json
import os
import sys


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__.strip().splitlines()[2])
    data_dir, output, names = sys.argv[1], sys.argv[2], sys.argv[3:]
    blobs = []
    for name in names:
        with open(os.path.join(data_dir, name), "rb") as f:
            blobs.append(f.read())
    index = json.dumps([[name, len(blob)] for name, blob in zip(names, blobs)], separators=(",", ":"))
    payload = b"glowmotion-data 1\n" + index.encode() + b"\n" + b"".join(blobs)
    temporary = output + ".part"
    # mtime=0: the same files give the same package, byte for byte.
    with open(temporary, "wb") as raw, gzip.GzipFile(fileobj=raw, mode="wb", compresslevel=9, mtime=0) as out:
        out.write(payload)
    os.replace(temporary, output)


if __name__ == "__main__":
    main()
