#!/usr/bin/env python3
"""Writes the fuzzers' seed corpora into fuzz/corpus/.

Usage: fuzz/make-seeds.py [path/to/glowmotion-texgen]   (default build/glowmotion-texgen)

Every seed is made here or by the project's own tools: small TGA pictures of
each kind the reader meets (and a few it refuses), the texture programs of
docs/texture-programs/ and the stored program in both forms (assembled by
glowmotion-texgen), tiny modules in the Impulse Tracker and ProTracker
formats, and a few command lines. Rerun after changing it; the files are
committed."""
import os
import shutil
import struct
import subprocess
import sys

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
corpus = os.path.join(root, "fuzz", "corpus")


def fresh(target):
    folder = os.path.join(corpus, target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    return folder


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# --- TGA -------------------------------------------------------------------

def tga(width, height, depth=32, image_type=2, descriptor=0x20, image_id=b"", colour_map=None, pixels=None):
    cmap_type, cmap_len, cmap_size, cmap = 0, 0, 0, b""
    if colour_map is not None:
        cmap_type, cmap_len, cmap_size = 1, len(colour_map) // 3, 24
        cmap = colour_map
    header = struct.pack("<BBBHHBHHHHBB", len(image_id), cmap_type, image_type, 0, cmap_len, cmap_size,
                         0, 0, width, height, depth, descriptor)
    if pixels is None:
        step = max(depth // 8, 1)
        pixels = bytes((x * 37 + y * 11 + c * 5) & 0xFF
                       for y in range(height) for x in range(width) for c in range(step))
    return header + image_id + cmap + pixels


def tga_seeds():
    out = fresh("tga")
    write(out, "rgba-4x3-top.tga", tga(4, 3))
    write(out, "rgb-5x2-bottom.tga", tga(5, 2, depth=24, descriptor=0x00))
    write(out, "rgba-3x3-right-to-left.tga", tga(3, 3, descriptor=0x30))
    write(out, "rgb-2x2-image-id.tga", tga(2, 2, depth=24, image_id=b"glowmotion"))
    write(out, "rgba-2x2-colour-map.tga", tga(2, 2, colour_map=bytes(range(12))))
    write(out, "rgba-8x1-strip.tga", tga(8, 1, descriptor=0x28))
    write(out, "empty-0x4.tga", tga(0, 4))
    write(out, "rle-type10.tga", tga(2, 2, image_type=10, pixels=bytes([0x81, 1, 2, 3, 4, 0x81, 5, 6, 7, 8])))
    write(out, "grey-type3.tga", tga(2, 2, depth=8, image_type=3))
    write(out, "rgb16-2x2.tga", tga(2, 2, depth=16))
    write(out, "truncated.tga", tga(4, 4)[:40])
    write(out, "too-large-1024x1024.tga", tga(1024, 1024, pixels=b"\0" * 16))


# --- texture programs -----------------------------------------------------

def texgen_seeds(tool):
    out = fresh("texgen")
    examples = os.path.join(root, "docs", "texture-programs")
    for name in sorted(os.listdir(examples)):
        if not name.endswith(".txt"):
            continue
        shutil.copy(os.path.join(examples, name), os.path.join(out, name))
        subprocess.run([tool, "asm", os.path.join(examples, name), os.path.join(out, name[:-4] + ".bin")],
                       check=True, stdout=subprocess.DEVNULL)
    subprocess.run([tool, "stored", "--binary", os.path.join(out, "stored.bin")], check=True, stdout=subprocess.DEVNULL)
    subprocess.run([tool, "stored", os.path.join(out, "stored.txt")], check=True, stdout=subprocess.DEVNULL)
    write(out, "empty.bin", b"\0\0\0\0")
    write(out, "refused-opcode.bin", b"\x02\0\0\0\x23\xe0")
    write(out, "refused-direction.txt", b"Checker 0 rgb size=8x8 cells=1x1 colour1=#000000 colour2=#ffffff\nEmboss 0 rgb direction=9\n")


# --- modules ---------------------------------------------------------------

def it_module(title=b"seed", rows=16):
    """A smallest Impulse Tracker module: one looping square-wave sample, one
    pattern with a note on its first row (as tests/common/MiniModule.h)."""
    m = bytearray()
    m += b"IMPM" + title.ljust(26, b"\0")[:26]
    m += bytes([4, 16]) + struct.pack("<HHHHHHHH", 2, 0, 1, 1, 0x0214, 0x0214, 0x0009, 0)
    m += bytes([128, 48, 6, 125, 128, 0]) + struct.pack("<HII", 0, 0, 0)
    m += bytes(32 if c < 4 else 32 + 128 for c in range(64)) + bytes([64] * 64)
    m += bytes([0, 255])
    sample_at = len(m)
    m += b"\0" * 4
    pattern_at = len(m)
    m += b"\0" * 4
    struct.pack_into("<I", m, sample_at, len(m))
    m += b"IMPS" + b"square.raw".ljust(12, b"\0") + bytes([0, 64, 0x11, 64]) + b"square".ljust(26, b"\0")
    m += bytes([0x01, 32]) + struct.pack("<IIII", 64, 0, 64, 8363) + struct.pack("<II", 0, 0)
    data_at = len(m)
    m += b"\0" * 4 + bytes(4)
    struct.pack_into("<I", m, pattern_at, len(m))
    m += struct.pack("<HHI", 5 + rows - 1, rows, 0) + bytes([0x81, 0x03, 60, 1, 0]) + bytes(rows - 1)
    struct.pack_into("<I", m, data_at, len(m))
    m += bytes((64 if i < 32 else 192) for i in range(64))
    return bytes(m)


def mod_module():
    """A four-channel ProTracker module: one sample, one pattern, two notes."""
    m = bytearray(b"seed".ljust(20, b"\0"))
    m += b"square".ljust(22, b"\0") + struct.pack(">HBBHH", 32, 0, 64, 0, 32)  # 64-byte sample, looped
    for _ in range(30):
        m += bytes(22) + struct.pack(">HBBHH", 0, 0, 0, 0, 1)
    m += bytes([1, 127]) + bytes(128) + b"M.K."
    pattern = bytearray(64 * 4 * 4)
    pattern[0:4] = bytes([0x10, 0xD6, 0x00, 0x00])     # C-3 (period 214), sample 1
    pattern[16 * 16:16 * 16 + 4] = bytes([0x10, 0xAA, 0x00, 0x00])
    m += pattern + bytes((64 if i < 32 else 192) for i in range(64))
    return bytes(m)


def module_seeds():
    out = fresh("module")
    write(out, "mini.it", it_module())
    write(out, "mini-64rows.it", it_module(b"sixty-four rows", 64))
    write(out, "mini.mod", mod_module())
    write(out, "empty", b"")
    write(out, "header-only.it", it_module()[:192])


# --- command lines ---------------------------------------------------------

def options_seeds():
    out = fresh("options")
    lines = [
        [],
        ["--windowed"],
        ["--exclusive", "--no-vsync"],
        ["--start-at", "43.9", "--end-at", "66.5"],
        ["--capture", "/tmp/frames", "--fps", "30", "--overwrite"],
        ["--data", "/tmp", "--windowed"],
        ["--help"],
        ["--version"],
        ["--fps", "0"],
        ["--start-at=124.5", "--end-at=125"],
        ["--windowed", "--exclusive"],
    ]
    for i, words in enumerate(lines):
        write(out, "line-%02d" % i, b"\0".join(w.encode() for w in words))


if __name__ == "__main__":
    tool = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build", "glowmotion-texgen")
    tga_seeds()
    texgen_seeds(tool)
    module_seeds()
    options_seeds()
    for target in sorted(os.listdir(corpus)):
        print("%s: %d seeds" % (target, len(os.listdir(os.path.join(corpus, target)))))
