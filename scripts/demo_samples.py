"""The demo's sample pictures, drawn with Python's standard library: a colour gradient with a label
in a 5 x 7 pixel font, written as BMP, GIF, TIFF or PNG here, and as JPEG through cjpeg, the
encoder of the JPEG library that Qt itself decodes with."""

import struct
import subprocess
import zlib

GLYPHS = {
    " ": "00000 00000 00000 00000 00000 00000 00000",
    "0": "01110 10001 10011 10101 11001 10001 01110",
    "1": "00100 01100 00100 00100 00100 00100 01110",
    "A": "01110 10001 10001 11111 10001 10001 10001",
    "B": "11110 10001 10001 11110 10001 10001 11110",
    "C": "01110 10001 10000 10000 10000 10001 01110",
    "D": "11110 10001 10001 10001 10001 10001 11110",
    "E": "11111 10000 10000 11110 10000 10000 11111",
    "F": "11111 10000 10000 11110 10000 10000 10000",
    "H": "10001 10001 10001 11111 10001 10001 10001",
    "I": "01110 00100 00100 00100 00100 00100 01110",
    "M": "10001 11011 10101 10101 10001 10001 10001",
    "N": "10001 10001 11001 10101 10011 10001 10001",
    "O": "01110 10001 10001 10001 10001 10001 01110",
    "R": "11110 10001 10001 11110 10100 10010 10001",
    "S": "01111 10000 10000 01110 00001 00001 11110",
    "T": "11111 00100 00100 00100 00100 00100 00100",
    "U": "10001 10001 10001 10001 10001 10001 01110",
    "W": "10001 10001 10001 10101 10101 10101 01010",
}


class Canvas:
    """An RGB picture, top row first, three bytes a pixel."""

    def __init__(self, width, height, left, right=None):
        """A horizontal gradient from colour left to colour right (one colour without right)."""
        right = right or left
        span = max(width - 1, 1)
        row = bytearray()
        for x in range(width):
            row += bytes(round(a + (b - a) * x / span) for a, b in zip(left, right))
        self.width, self.height = width, height
        self.pixels = bytearray(row * height)

    def fill(self, x, y, width, height, colour):
        for row in range(y, y + height):
            start = (row * self.width + x) * 3
            self.pixels[start:start + width * 3] = bytes(colour) * width

    def label(self, text, scale, colour=(255, 255, 255)):
        """Writes text centred on the picture, each font pixel scale by scale pixels."""
        advance = 6 * scale
        x0 = (self.width - len(text) * advance + scale) // 2
        y0 = (self.height - 7 * scale) // 2
        for index, char in enumerate(text):
            for y, bits in enumerate(GLYPHS[char].split()):
                for x, bit in enumerate(bits):
                    if bit == "1":
                        self.fill(x0 + index * advance + x * scale, y0 + y * scale, scale, scale,
                                  colour)

    def rows(self):
        stride = self.width * 3
        return [bytes(self.pixels[y * stride:(y + 1) * stride]) for y in range(self.height)]

    def ppm(self):
        return b"P6\n%d %d\n255\n" % (self.width, self.height) + bytes(self.pixels)

    def bmp(self):
        """24-bit BMP: rows bottom up, blue green red, each padded to four bytes."""
        padding = b"\0" * (-self.width * 3 % 4)
        data = b"".join(bgr(row) + padding for row in reversed(self.rows()))
        header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, len(data),
                           3780, 3780, 0, 0)
        return header + info + data

    def gif(self):
        """GIF89a with a palette of the picture's colours (at most 256) and LZW data."""
        colours = {}
        indices = bytearray()
        for i in range(0, len(self.pixels), 3):
            colour = bytes(self.pixels[i:i + 3])
            if colour not in colours:
                colours[colour] = len(colours)
            indices.append(colours[colour])
        if len(colours) > 256:
            raise ValueError("a GIF holds at most 256 colours")
        depth = max((len(colours) - 1).bit_length(), 2)
        palette = b"".join(colours) + b"\0" * (3 * (1 << depth) - 3 * len(colours))
        screen = struct.pack("<6sHHBBB", b"GIF89a", self.width, self.height, 0x80 | (depth - 1),
                             0, 0)
        image = struct.pack("<BHHHHB", 0x2C, 0, 0, self.width, self.height, 0)
        data = lzw(indices, depth)
        blocks = b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255]
                          for i in range(0, len(data), 255))
        return screen + palette + image + bytes([depth]) + blocks + b"\0;"

    def tiff(self):
        """Baseline TIFF, little endian: uncompressed RGB in one strip, 96 pixels per inch."""
        data = bytes(self.pixels)
        entries = [(256, 4, 1, self.width), (257, 4, 1, self.height), (258, 3, 3, None),
                   (259, 3, 1, 1), (262, 3, 1, 2), (273, 4, 1, None), (277, 3, 1, 3),
                   (278, 4, 1, self.height), (279, 4, 1, len(data)), (282, 5, 1, None),
                   (283, 5, 1, None), (296, 3, 1, 2)]
        ifd_size = 2 + 12 * len(entries) + 4
        extra = 8 + ifd_size  # bits per sample, then the two resolutions
        values = {258: extra, 282: extra + 6, 283: extra + 14, 273: extra + 22}
        ifd = struct.pack("<H", len(entries))
        for tag, kind, count, value in entries:
            value = values.get(tag, value)
            packed = struct.pack("<H", value) + b"\0\0" if kind == 3 and count == 1 else \
                struct.pack("<I", value)
            ifd += struct.pack("<HHI", tag, kind, count) + packed
        ifd += struct.pack("<I", 0)
        tail = struct.pack("<HHHIIII", 8, 8, 8, 96, 1, 96, 1)
        return struct.pack("<2sHI", b"II", 42, 8) + ifd + tail + data

    def png(self):
        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + \
                struct.pack(">I", zlib.crc32(kind + body))

        raw = b"".join(b"\0" + row for row in self.rows())
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))

    def jpeg(self):
        return subprocess.run(["cjpeg", "-quality", "90"], input=self.ppm(), capture_output=True,
                              check=True).stdout

    def save(self, path):
        """Writes the picture in the format its name's extension says."""
        writers = {".bmp": self.bmp, ".gif": self.gif, ".tif": self.tiff, ".png": self.png,
                   ".jpg": self.jpeg}
        path.write_bytes(writers[path.suffix.lower()]())
        return path


def bgr(row):
    swapped = bytearray(row)
    swapped[0::3], swapped[2::3] = row[2::3], row[0::3]
    return bytes(swapped)


def lzw(indices, depth):
    """GIF's variable-length LZW: codes from depth + 1 bits up to 12, least significant bit
    first, starting over with a clear code when the table is full."""
    clear, end = 1 << depth, (1 << depth) + 1
    out, buffer, filled = bytearray(), 0, 0

    def emit(code, width):
        nonlocal buffer, filled
        buffer |= code << filled
        filled += width
        while filled >= 8:
            out.append(buffer & 0xFF)
            buffer >>= 8
            filled -= 8

    width, table, next_code = depth + 1, {}, end + 1
    emit(clear, width)
    prefix = indices[0]
    for index in indices[1:]:
        key = (prefix, index)
        if key in table:
            prefix = table[key]
            continue
        emit(prefix, width)
        if next_code == 4096:
            emit(clear, width)
            width, table, next_code = depth + 1, {}, end + 1
        else:
            table[key] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        prefix = index
    emit(prefix, width)
    emit(end, width)
    if filled:
        out.append(buffer & 0xFF)
    return bytes(out)
