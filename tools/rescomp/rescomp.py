#!/usr/bin/env python3
"""Turns pixel-art resource files into a C++ source holding a module's
resource table (win32/ModuleResources.h): bitmaps as 8-bit DIBs, cursors as
RT_CURSOR images with their RT_GROUP_CURSOR directories.

A resource file:

    # comment
    bitmap NAME            or: cursor NAME
    size 16 16             size of one image
    hotspot 15 15          cursors only
    colors
      . FF00FF             one character, then RRGGBB or "none" (cursors: transparent)
      k 000000
    image                  one block of rows per image; a strip lays them out
    ....kk....             left to right in the order given

Usage: rescomp.py OUTPUT.cpp SYMBOL FILE...
"""
import struct
import sys


class ResourceError(Exception):
    pass


def parse(path):
    kind = name = None
    size = hotspot = None
    colors = {}
    images = []
    section = None
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            where = f"{path}:{number}"
            stripped = line.strip()
            if not stripped or stripped.startswith("#"):
                continue
            words = stripped.split()
            if section == "image" and not line.startswith(" ") and words[0] not in ("image", "colors"):
                row = stripped
                images[-1].append(row)
                continue
            if section == "colors" and line.startswith(" "):
                if len(words) < 2 or len(words[0]) != 1:
                    raise ResourceError(f"{where}: a colour is one character and RRGGBB or none")
                value = words[1].lower()
                colors[words[0]] = None if value == "none" else int(value, 16)
                continue
            if words[0] in ("bitmap", "cursor"):
                kind, name = words[0], words[1]
            elif words[0] == "size":
                size = (int(words[1]), int(words[2]))
            elif words[0] == "hotspot":
                hotspot = (int(words[1]), int(words[2]))
            elif words[0] == "colors":
                section = "colors"
            elif words[0] == "image":
                section = "image"
                images.append([])
            else:
                raise ResourceError(f"{where}: unexpected '{stripped}'")
    if not kind or not size or not images:
        raise ResourceError(f"{path}: needs a kind and name, a size and at least one image")
    width, height = size
    for index, rows in enumerate(images):
        if len(rows) != height or any(len(r) != width for r in rows):
            raise ResourceError(f"{path}: image {index} is not {width} x {height}")
        for r in rows:
            for c in r:
                if c not in colors:
                    raise ResourceError(f"{path}: image {index} uses undefined colour '{c}'")
    if kind == "cursor":
        if len(images) != 1 or hotspot is None:
            raise ResourceError(f"{path}: a cursor has one image and a hot spot")
    elif any(v is None for v in colors.values()):
        raise ResourceError(f"{path}: a bitmap has no transparent colour; use a key colour")
    return kind, name, width, height, hotspot, colors, images


def row_bytes(width, bpp):
    return ((width * bpp + 31) // 32) * 4


def info_header(width, height, bpp, used):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, 0, 0, 0, used, 0)


def bitmap_dib(width, height, colors, images):
    """One 8-bit bottom-up DIB with the images side by side."""
    palette = list(colors.keys())
    total = width * len(images)
    stride = row_bytes(total, 8)
    data = bytearray(info_header(total, height, 8, len(palette)))
    for key in palette:
        v = colors[key]
        data += struct.pack("<BBBB", v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF, 0)
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for rows in images:
            row += bytes(palette.index(c) for c in rows[y])
        data += row + bytes(stride - len(row))
    return bytes(data)


def cursor_image(width, height, hotspot, colors, rows):
    """Hot spot, then a 32-bit colour DIB of double height with its AND mask."""
    data = bytearray(struct.pack("<HH", *hotspot))
    data += info_header(width, height * 2, 32, 0)
    for y in range(height - 1, -1, -1):
        for c in rows[y]:
            v = colors[c] or 0
            data += struct.pack("<BBBB", v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF, 0)
    stride = row_bytes(width, 1)
    for y in range(height - 1, -1, -1):
        bits = bytearray(stride)
        for x, c in enumerate(rows[y]):
            if colors[c] is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        data += bits
    return bytes(data)


def group_directory(width, height, size, ident):
    return struct.pack("<HHH", 0, 2, 1) + struct.pack("<HHHHIH", width, height * 2, 1, 32, size, ident)


def c_bytes(data):
    lines = []
    for i in range(0, len(data), 20):
        lines.append("    " + ", ".join(f"0x{b:02x}" for b in data[i:i + 20]) + ",")
    return "\n".join(lines)


def wide(text):
    return 'u"' + text + '"'


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    output, symbol, files = argv[0], argv[1], argv[2:]
    blobs = []    # (variable, bytes)
    entries = []  # (type, name expression, variable)
    cursor_id = 0
    names = set()
    try:
        for path in files:
            kind, name, width, height, hotspot, colors, images = parse(path)
            if (kind, name) in names:
                raise ResourceError(f"{path}: {kind} {name} is defined twice")
            names.add((kind, name))
            if kind == "bitmap":
                var = f"kBitmap{len(blobs)}"
                blobs.append((var, bitmap_dib(width, height, colors, images)))
                entries.append(("RT_BITMAP", wide(name), var))
            else:
                cursor_id += 1
                image = cursor_image(width, height, hotspot, colors, images[0])
                var = f"kCursor{cursor_id}"
                blobs.append((var, image))
                entries.append(("RT_CURSOR", f"MAKEINTRESOURCEW({cursor_id})", var))
                var = f"kCursorGroup{cursor_id}"
                blobs.append((var, group_directory(width, height, len(image), cursor_id)))
                entries.append(("RT_GROUP_CURSOR", wide(name), var))
    except (ResourceError, ValueError, IndexError) as error:
        print(f"rescomp: {error}", file=sys.stderr)
        return 1
    out = ["// Generated by tools/rescomp/rescomp.py from the resource files; do not edit.",
           "#include <win32/ModuleResources.h>",
           "#include <win32/winuser.h>",
           "",
           "#include <cstddef>",
           "",
           "namespace {"]
    for var, data in blobs:
        out.append(f"const BYTE {var}[] = {{\n{c_bytes(data)}\n}};")
    out.append("} // namespace")
    out.append("")
    out.append(f"extern const win32::ResourceEntry {symbol}[];")
    out.append(f"extern const size_t {symbol}Count;")
    out.append(f"const win32::ResourceEntry {symbol}[] = {{")
    for rtype, name, var in entries:
        out.append(f"    {{{rtype}, {name}, {var}, sizeof({var})}},")
    out.append("};")
    out.append(f"const size_t {symbol}Count = {len(entries)};")
    text = "\n".join(out) + "\n"
    try:
        with open(output, encoding="utf-8") as f:
            if f.read() == text:
                return 0
    except OSError:
        pass
    with open(output, "w", encoding="utf-8") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
