#!/usr/bin/env python3
"""Draws the program's bitmaps and icons (status light, application and
button icons) into the folder given as the only argument."""
import math
import os
import struct
import sys

KEY = (1, 2, 3)  # transparent key colour of the light bitmaps

LIGHTS = {
    "RED": (230, 20, 20), "BLUE": (30, 60, 240), "GREEN": (20, 200, 40),
    "YELLOW": (250, 220, 0), "MANGENTA": (220, 0, 220), "GRAY": (150, 150, 150),
    "CYAN": (0, 220, 230), "WHITE": (255, 255, 255),
}


def scale(rgb, f):
    return tuple(max(0, min(255, int(c * f))) for c in rgb)


def mix(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


def led(size, rgb, dark, heavy):
    """Pixels (rows top-down of (r, g, b, a)) of a round lamp."""
    base = scale(rgb, 0.33) if dark else rgb
    r = size / 2.0 - 0.5
    cx = cy = (size - 1) / 2.0
    hx, hy = cx - r * 0.35, cy - r * 0.35
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            d = math.hypot(x - cx, y - cy)
            if d > r + 0.5:
                row.append(None)
                continue
            if d > r - 1.0:
                row.append(scale(base, 0.45) + (255,))
                continue
            shade = 1.0 - 0.45 * (d / r)
            c = scale(base, shade)
            h = math.hypot(x - hx, y - hy) / r
            glow = 0.9 if heavy else 0.6
            if not dark or heavy:
                c = mix(c, (255, 255, 255), max(0.0, glow - h * 1.6))
            row.append(c + (255,))
        rows.append(row)
    return rows


def write_bmp24(path, rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for p in row:
            rgb = KEY if p is None else p[:3]
            line += bytes((rgb[2], rgb[1], rgb[0]))
        line += b"\0" * (stride - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def icon_image(rows):
    h, w = len(rows), len(rows[0])
    xor = bytearray()
    for row in reversed(rows):
        for p in row:
            xor += bytes((0, 0, 0, 0)) if p is None else bytes((p[2], p[1], p[0], p[3]))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def write_ico(path, images):
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for rows in images:
        blob = icon_image(rows)
        size = len(rows)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


def canvas(size):
    return [[None] * size for _ in range(size)]


def monitor_icon(size, rgb):
    """A screen with a lamp in front: the application icon in one colour."""
    img = canvas(size)
    s = size / 32.0
    frame, glass = (60, 60, 70, 255), (200, 225, 250, 255)
    for y in range(int(3 * s), int(22 * s)):
        for x in range(int(2 * s), int(30 * s)):
            edge = y < int(5 * s) or y >= int(20 * s) or x < int(4 * s) or x >= int(28 * s)
            img[y][x] = frame if edge else glass
    for y in range(int(22 * s), int(26 * s)):
        for x in range(int(13 * s), int(19 * s)):
            img[y][x] = frame
    for y in range(int(26 * s), int(28 * s)):
        for x in range(int(8 * s), int(24 * s)):
            img[y][x] = frame
    lamp = led(int(14 * s), rgb, False, True)
    ox, oy = int(17 * s), int(15 * s)
    for y, row in enumerate(lamp):
        for x, p in enumerate(row):
            if p is not None and 0 <= oy + y < size and 0 <= ox + x < size:
                img[oy + y][ox + x] = p
    return img


def glyph(kind, size=24):
    img = canvas(size)
    c = (size - 1) / 2.0
    for y in range(size):
        for x in range(size):
            if kind == "START":
                inside = 5 <= x <= 19 and abs(y - c) <= (x - 5) * 0.0 + (19 - x) * 0.55
                col = (20, 170, 40)
            elif kind == "STOP":
                inside = 5 <= x <= 18 and 5 <= y <= 18
                col = (210, 30, 30)
            elif kind == "RESET":
                d = math.hypot(x - c, y - c)
                inside = 5.5 <= d <= 9.5 and not (x > c and y < c - 2)
                col = (230, 160, 0)
            else:  # SETTINGS: a cog
                d = math.hypot(x - c, y - c)
                a = math.atan2(y - c, x - c)
                tooth = 9.5 if math.cos(a * 8) > 0.3 else 7.5
                inside = 3.0 <= d <= tooth
                col = (90, 100, 120)
            if inside:
                img[y][x] = col + (255,)
    return img


def chunk(fourcc, data):
    pad = b"\0" if len(data) % 2 else b""
    return fourcc + struct.pack("<I", len(data)) + data + pad


def riff_list(kind, fourcc, body):
    return kind + struct.pack("<I", len(body) + 4) + fourcc + body


def draw_magnifier(px, cx, cy):
    """A magnifying glass centred on (cx, cy), its handle to the lower right."""
    size = len(px)
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - cx, y - cy)
            if d <= 4.5:
                px[y][x] = 3
            elif d <= 6.2:
                px[y][x] = 1
    for t in range(10):
        hx, hy = int(cx + 4 + t * 0.7), int(cy + 4 + t * 0.7)
        for dx in (0, 1):
            if 0 <= hx + dx < size and 0 <= hy < size:
                px[hy][hx + dx] = 5


def search_frames(size=40, count=8):
    """A screen with a magnifying glass circling in front of it."""
    frames = []
    for n in range(count):
        px = [[0] * size for _ in range(size)]
        for y in range(6, 26):
            for x in range(4, 36):
                edge = y < 8 or y >= 24 or x < 6 or x >= 34
                px[y][x] = 2 if edge else 4
        for y in range(26, 30):
            for x in range(17, 23):
                px[y][x] = 2
        for x in range(10, 30):
            px[30][x] = 2
        a = 2 * math.pi * n / count
        cx, cy = 20 + 7 * math.cos(a), 15 + 5 * math.sin(a)
        draw_magnifier(px, cx, cy)
        frames.append(px)
    return frames


def find_folder_frames(size=40, count=8):
    """A folder with a magnifying glass sweeping over it and back."""
    frames = []
    for n in range(count):
        px = [[0] * size for _ in range(size)]
        for y in range(10, 32):
            for x in range(3, 37):
                if y < 14 and not 3 <= x < 17:
                    continue  # the tab on the folder's top left
                edge = y in (10, 31) or x in (3, 36) or (y == 13 and x >= 17) or (y < 14 and x == 16)
                px[y][x] = 7 if edge else 6
        sweep = n / (count - 1) if n < count // 2 else (count - 1 - n) / (count - 1)
        cx, cy = 10 + 2 * sweep * 18, 20
        draw_magnifier(px, cx, cy)
        frames.append(px)
    return frames


def write_avi(path, frames, fps=8):
    h, w = len(frames[0]), len(frames[0][0])
    stride = (w + 3) & ~3
    palette = [(255, 0, 255), (0, 0, 0), (70, 70, 80), (170, 210, 250), (235, 240, 250), (140, 80, 20),
               (245, 205, 90), (170, 125, 30)]
    palette += [(0, 0, 0)] * (256 - len(palette))
    frame_bytes = []
    for px in frames:
        data = bytearray()
        for row in reversed(px):
            data += bytes(row) + b"\0" * (stride - w)
        frame_bytes.append(bytes(data))
    size = len(frame_bytes[0])
    avih = struct.pack("<IIIIIIIIII4I", 1000000 // fps, size * fps, 0, 0x10, len(frames), 0, 1, size, w, h, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIII4h", b"vids", b"DIB ", 0, 0, 0, 0, 1, fps, 0, len(frames), size,
                       0xFFFFFFFF, 0, 0, 0, w, h)
    strf = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, size, 0, 0, 256, 0)
    strf += b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    hdrl = riff_list(b"LIST", b"hdrl", chunk(b"avih", avih) + riff_list(b"LIST", b"strl", chunk(b"strh", strh) + chunk(b"strf", strf)))
    movi_body = b""
    index = b""
    for data in frame_bytes:
        index += struct.pack("<4sIII", b"00db", 0x10, 4 + len(movi_body), len(data))
        movi_body += chunk(b"00db", data)
    movi = riff_list(b"LIST", b"movi", movi_body)
    body = hdrl + movi + chunk(b"idx1", index)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body) + 4) + b"AVI " + body)


def main(out):
    os.makedirs(out, exist_ok=True)
    for name, rgb in LIGHTS.items():
        for dark in (False, True):
            for heavy in (False, True):
                res = ("DARK_" if dark else "") + name + ("_LITE" if heavy else "")
                if dark and not heavy and name == "WHITE":
                    res = "BLACK"
                write_bmp24(os.path.join(out, res.lower() + ".bmp"), led(17, rgb, dark, heavy))
    write_ico(os.path.join(out, "green.ico"), [monitor_icon(32, LIGHTS["GREEN"]), monitor_icon(16, LIGHTS["GREEN"])])
    write_ico(os.path.join(out, "red.ico"), [monitor_icon(32, LIGHTS["RED"]), monitor_icon(16, LIGHTS["RED"])])
    write_avi(os.path.join(out, "search.avi"), search_frames())
    write_avi(os.path.join(out, "findfolder.avi"), find_folder_frames())
    for kind in ("START", "STOP", "RESET", "SETTINGS"):
        write_ico(os.path.join(out, "btn_" + kind.lower() + ".ico"), [glyph(kind)])


if __name__ == "__main__":
    main(sys.argv[1])
