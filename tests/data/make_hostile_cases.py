#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
"""Writes the hand-made decoder cases in tests/data/hostile/.

Each file is a few hundred bytes, built segment by segment so that it holds
exactly one fault of the kind its name says:
  png_palette_*     pixel indices past the end of the PLTE chunk
  jpeg_dqt16_*      16-bit quantisation values that overflow the DC product
  jpeg_prog_dc_*    a first progressive DC scan with a large point transform
  jpeg_cut_*        entropy-coded data that ends inside a value
  jpeg_rows_*       valid files whose pixels an early conversion of each row
                    of MCUs gets wrong unless it waits for the last scan and
                    marker: two full scans, a second scan cut short, a colour
                    transform named after the scan, each chroma sampling
It also writes valid near-misses of each kind to fuzz/seeds/, so that a
fuzzing campaign starts next to every fault.
Run from anywhere: python3 tests/data/make_hostile_cases.py
"""
import os
import struct
import zlib

DATA = os.path.dirname(os.path.abspath(__file__))
HERE = os.path.join(DATA, "hostile")
SEEDS = os.path.join(DATA, "..", "..", "fuzz", "seeds")


# --- PNG --------------------------------------------------------------------

def chunk(kind, body):
    crc = zlib.crc32(kind + body) & 0xFFFFFFFF
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", crc)


def pack_row(indices, depth):
    if depth == 8:
        return bytes(indices)
    per_byte = 8 // depth
    out = bytearray()
    for i in range(0, len(indices), per_byte):
        byte = 0
        for j, v in enumerate(indices[i:i + per_byte]):
            byte |= v << (8 - depth * (j + 1))
        out.append(byte)
    return bytes(out)


def adam7_passes(width, height):
    starts = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
    for x0, y0, dx, dy in starts:
        xs = list(range(x0, width, dx))
        ys = list(range(y0, height, dy))
        if xs and ys:
            yield xs, ys


def palette_png(width, height, depth, palette, pixel, trns=None, interlaced=False):
    """A colour-type-3 PNG; pixel(x, y) gives each index."""
    raw = bytearray()
    if interlaced:
        for xs, ys in adam7_passes(width, height):
            for y in ys:
                raw += b"\x00" + pack_row([pixel(x, y) for x in xs], depth)
    else:
        for y in range(height):
            raw += b"\x00" + pack_row([pixel(x, y) for x in range(width)], depth)
    ihdr = struct.pack(">IIBBBBB", width, height, depth, 3, 0, 0, 1 if interlaced else 0)
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
    out += chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    if trns is not None:
        out += chunk(b"tRNS", bytes(trns))
    return out + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")


def colours(n):
    return [((37 * i) % 256, (91 * i + 10) % 256, (203 * i + 20) % 256) for i in range(n)]


# --- JPEG -------------------------------------------------------------------

class Bits:
    def __init__(self):
        self.bits = ""

    def put(self, code):
        self.bits += code

    def value(self, v, size):
        """JPEG's receive/extend coding of v in size bits."""
        if size == 0:
            return
        if v < 0:
            v += (1 << size) - 1
        self.bits += format(v, "0%db" % size)

    def data(self, pad="1"):
        bits = self.bits + pad * (-len(self.bits) % 8)
        out = bytearray()
        for i in range(0, len(bits), 8):
            byte = int(bits[i:i + 8], 2)
            out.append(byte)
            if byte == 0xFF:
                out.append(0x00)
        return bytes(out)


def segment(marker, body):
    return bytes([0xFF, marker]) + struct.pack(">H", len(body) + 2) + body


def dqt(table_id, values, precision16=False):
    if precision16:
        return segment(0xDB, bytes([0x10 | table_id]) + b"".join(struct.pack(">H", v) for v in values))
    return segment(0xDB, bytes([table_id]) + bytes(values))


def huffman(klass, table_id, lengths):
    """lengths: list of (code length, symbol) in canonical order. Returns the
    DHT segment and the symbol -> code map."""
    counts = [0] * 16
    for length, _ in lengths:
        counts[length - 1] += 1
    codes = {}
    code = 0
    ordered = sorted(lengths, key=lambda e: e[0])
    k = 0
    for length in range(1, 17):
        for entry in ordered[k:]:
            if entry[0] != length:
                break
            codes[entry[1]] = format(code, "0%db" % length)
            code += 1
            k += 1
        code <<= 1
    body = bytes([klass << 4 | table_id]) + bytes(counts) + bytes(s for _, s in ordered)
    return segment(0xC4, body), codes


def frame(marker, width, height, components):
    body = struct.pack(">BHHB", 8, height, width, len(components))
    for cid, sampling, table in components:
        body += bytes([cid, sampling, table])
    return segment(marker, body)


def scan(components, ss, se, ah, al):
    body = bytes([len(components)])
    for cid, tables in components:
        body += bytes([cid, tables])
    return segment(0xDA, body + bytes([ss, se, ah << 4 | al]))


SOI = b"\xFF\xD8"
EOI = b"\xFF\xD9"


def grey_baseline(width, height, quant, dc_table, ac_table, entropy):
    return (SOI + quant + dc_table + ac_table + frame(0xC0, width, height, [(1, 0x11, 0)])
            + scan([(1, 0x00)], 0, 63, 0, 0) + entropy + EOI)


def dqt16_cases():
    """A 16-bit quantisation table with a large DC value: the DC predictor
    times it overflows int as soon as the predictor passes 32,767."""
    dc_dht, dc = huffman(0, 0, [(1, 0), (1, 15)])
    ac_dht, ac = huffman(1, 0, [(1, 0x00)])
    for name, q, diffs in [
        ("jpeg_dqt16_65535_dc_up_signed_overflow_ubsan.jpg", 65535, [32767, 32767]),
        ("jpeg_dqt16_65535_dc_down_signed_overflow_ubsan.jpg", 65535, [-32767, -32767, -32767]),
        ("jpeg_dqt16_40000_dc_sum_98301_signed_overflow_ubsan.jpg", 40000, [32767, 32767, 32767]),
    ]:
        bits = Bits()
        for d in diffs:
            bits.put(dc[15])
            bits.value(d, 15)
            bits.put(ac[0x00])
        quant = dqt(0, [q] + [1] * 63, precision16=True)
        yield name, grey_baseline(8 * len(diffs), 8, quant, dc_dht, ac_dht, bits.data())


def progressive_dc_cases():
    """First DC scan of a progressive file with point transform Al: the DC
    predictor times 1 << Al overflows int once it passes 2^(31 - Al)."""
    dc_dht, dc = huffman(0, 0, [(1, 0), (1, 15)])
    for name, al, blocks in [
        ("jpeg_prog_dc_al13_signed_overflow_ubsan.jpg", 13, 9),
        ("jpeg_prog_dc_al13_one_block_past_short.jpg", 13, 1),
        ("jpeg_prog_dc_al10_signed_overflow_ubsan.jpg", 10, 66),
        # 262,145 = 4 x 65,536 + 1: cut to a short first, the predictor would
        # look like 1 and pass a check made on shorts.
        ("jpeg_prog_dc_al13_dc_262145_passes_a_short_check_ubsan.jpg", 13, None),
    ]:
        diffs = [32767] * blocks if blocks else [32767] * 8 + [9]
        bits = Bits()
        for d in diffs:
            bits.put(dc[15])
            bits.value(d, 15)
        blocks = len(diffs)
        quant = dqt(0, [1] * 64)
        data = (SOI + quant + dc_dht + frame(0xC2, 8 * blocks, 8, [(1, 0x11, 0)])
                + scan([(1, 0x00)], 0, 0, 0, al) + bits.data() + EOI)
        yield name, data


def cut_cases():
    """Entropy-coded data that ends (at a marker) while the decoder still
    needs most of a 15-bit value: its bit count goes negative, and the next
    refill shifts by more than 31 bits."""
    quant = dqt(0, [1] * 64)
    dc_dht, dc = huffman(0, 0, [(1, 0)])
    # AC: a 1-bit code for a 14-bit coefficient, a 16-bit code for a 15-bit one.
    ac_dht, ac = huffman(1, 0, [(1, 0x0E), (16, 0x0F)])
    bits = Bits()
    bits.put(dc[0])
    bits.put(ac[0x0E])
    bits.value(0x2AAA, 14)
    bits.put(ac[0x0F])
    # Exactly 32 bits: the value of the last coefficient never comes.
    yield "jpeg_cut_inside_ac_value_shift_exponent_ubsan.jpg", grey_baseline(8, 8, quant, dc_dht, ac_dht, bits.data())

    # The same at a DC value: the first block uses 16 of the 32 bits read, the
    # second block's 16-bit DC code the rest, and its value never comes.
    dc_dht, dc = huffman(0, 0, [(1, 0), (16, 15)])
    ac_dht, ac = huffman(1, 0, [(1, 0x00), (2, 0x0C)])
    bits = Bits()
    bits.put(dc[0])
    bits.put(ac[0x0C])
    bits.value(0x555, 12)
    bits.put(ac[0x00])
    bits.put(dc[15])
    yield "jpeg_cut_inside_dc_value_shift_exponent_ubsan.jpg", grey_baseline(16, 8, quant, dc_dht, ac_dht, bits.data())

    # Progressive: a first DC scan whose 16th value is cut the same way; the
    # 17th block's refill makes the shift.
    dc_dht, dc = huffman(0, 0, [(1, 0), (16, 15)])
    bits = Bits()
    for _ in range(15):
        bits.put(dc[0])
    bits.put(dc[15])
    data = (SOI + quant + dc_dht + frame(0xC2, 8 * 17, 8, [(1, 0x11, 0)])
            + scan([(1, 0x00)], 0, 0, 0, 0) + bits.data() + EOI)
    yield "jpeg_cut_inside_prog_dc_value_shift_exponent_ubsan.jpg", data


def palette_cases():
    """Indices past the palette: the decoder expands them from the unset part
    of its palette array, so the copy would show stale memory."""
    yield ("png_palette_1_entry_indices_0_to_99_stale_stack.png",
           palette_png(10, 10, 8, colours(1), lambda x, y: (10 * y + x) % 100))
    yield ("png_palette_16_entries_one_index_16_stale_stack.png",
           palette_png(7, 5, 8, colours(16), lambda x, y: 16 if (x, y) == (6, 4) else (x + 3 * y) % 16))
    yield ("png_palette_1bit_1_entry_index_1_stale_stack.png",
           palette_png(9, 3, 1, colours(1), lambda x, y: 1 if (x, y) == (4, 1) else 0))
    yield ("png_palette_4bit_interlaced_3_entries_index_15_stale_stack.png",
           palette_png(11, 9, 4, colours(3), lambda x, y: 15 if (x, y) == (9, 8) else (x * y) % 3, interlaced=True))
    yield ("png_palette_2_entries_trns_indices_to_255_stale_stack.png",
           palette_png(16, 16, 8, colours(2), lambda x, y: 16 * y + x, trns=[0, 128]))
    # Controls: every index inside the palette, so these must be accepted.
    yield ("png_palette_16_entries_indices_to_15_valid.png",
           palette_png(7, 5, 8, colours(16), lambda x, y: 15 if (x, y) == (6, 4) else (x + 3 * y) % 16))
    yield ("png_palette_2bit_interlaced_4_entries_valid.png",
           palette_png(11, 9, 2, colours(4), lambda x, y: (x + 2 * y) % 4, trns=[255, 0, 128], interlaced=True))


def seeds():
    """Valid files one mutation away from each fault."""
    dc_dht, dc = huffman(0, 0, [(1, 0), (2, 1), (2, 2)])
    ac_dht, ac = huffman(1, 0, [(1, 0x00), (2, 0x01)])
    bits = Bits()
    for d in [3, -2, 1, 0]:
        size = abs(d).bit_length()
        bits.put(dc[size])
        bits.value(d, size)
        bits.put(ac[0x01])
        bits.value(1, 1)
        bits.put(ac[0x00])
    quant = dqt(0, [300] + [2] * 63, precision16=True)
    yield "seed_dqt16_baseline.jpg", grey_baseline(32, 8, quant, dc_dht, ac_dht, bits.data())

    bits = Bits()
    for d in [3, -3, 0, 2]:
        size = abs(d).bit_length()
        bits.put(dc[size])
        bits.value(d, size)
    data = (SOI + dqt(0, [1] * 64) + dc_dht + frame(0xC2, 32, 8, [(1, 0x11, 0)])
            + scan([(1, 0x00)], 0, 0, 0, 13) + bits.data() + EOI)
    yield "seed_prog_dc_al13.jpg", data

    yield ("seed_palette_3_entries_interlaced.png",
           palette_png(11, 9, 4, colours(3), lambda x, y: (x * y) % 3, interlaced=True))
    yield ("seed_palette_1_entry.png", palette_png(5, 3, 1, colours(1), lambda x, y: 0))
    yield "seed_refused_at_q90.png", noise_rows_png(1400, 1000, 4)


def noise_rows_png(width, height, period):
    """An RGB PNG of a few random rows repeated: under 64 KiB, as a fuzzer's
    inputs are, yet over a million bytes as a JPEG at quality 90, so the
    encoder's first attempt is refused and stopped and a lower quality fits."""
    state = 0x9E3779B9
    rows = []
    for _ in range(period):
        row = bytearray()
        for _ in range(width * 3):
            state = (state * 1103515245 + 12345) & 0xFFFFFFFF
            row.append(state >> 24)
        rows.append(b"\x00" + bytes(row))
    raw = b"".join(rows[y % period] for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def dc_only_scan(components, mcus_x, mcus_y, dc_codes, eob, pattern, restart=0, stop=None):
    """Entropy-coded data of DC-only blocks: components is a list of
    (h, v) per component in scan order, pattern(c, bx, by) the DC value of
    each block, restart the interval at which an RST marker follows, stop
    the MCU count after which the data ends without one."""
    out = b""
    bits = Bits()
    pred = [0] * len(components)
    for m in range(mcus_x * mcus_y):
        if stop is not None and m == stop:
            break
        if restart and m and m % restart == 0:
            out += bits.data() + bytes([0xFF, 0xD0 + (m // restart - 1) % 8])
            bits = Bits()
            pred = [0] * len(components)
        mx, my = m % mcus_x, m // mcus_x
        for c, (h, v) in enumerate(components):
            for y in range(v):
                for x in range(h):
                    dc = pattern(c, mx * h + x, my * v + y)
                    diff = dc - pred[c]
                    pred[c] = dc
                    size = abs(diff).bit_length()
                    bits.put(dc_codes[size])
                    bits.value(diff, size)
                    bits.put(eob)
    return out + bits.data()


def rows_cases():
    """DC-only images: each 8 x 8 block is one flat value, 128 + DC with a
    quantiser of 8 (the IDCT's DC gain), so every row of MCUs differs."""
    dc_dht, dc = huffman(0, 0, [(4, n) for n in range(12)])
    ac_dht, ac = huffman(1, 0, [(1, 0)])
    tables = dqt(0, [8] * 64) + dc_dht + ac_dht
    first = lambda c, bx, by: ((bx * 13 + by * 29 + c * 41) % 90) - 45
    second = lambda c, bx, by: ((bx * 31 + by * 7 + c * 17) % 100) - 50
    adobe_rgb = segment(0xEE, b"Adobe\x00" + bytes([0, 100, 0, 0, 0, 0, 0]))

    def image(width, height, sampling, scans, after=b""):
        hmax = max(s >> 4 for s in sampling)
        vmax = max(s & 15 for s in sampling)
        mx = -(-width // (8 * hmax))
        my = -(-height // (8 * vmax))
        comps = [(c + 1, s, 0) for c, s in enumerate(sampling)]
        out = SOI + tables + frame(0xC0, width, height, comps)
        for pattern, restart, stop in scans:
            if restart:
                out += segment(0xDD, struct.pack(">H", restart))
            out += scan([(c + 1, 0x00) for c in range(len(sampling))], 0, 63, 0, 0)
            out += dc_only_scan([(s >> 4, s & 15) for s in sampling], mx, my, dc, ac[0], pattern, restart, stop)
        return out + after + EOI

    yield "jpeg_rows_two_full_scans_420.jpg", image(24, 40, [0x22, 0x11, 0x11], [(first, 0, None), (second, 0, None)])
    yield "jpeg_rows_second_scan_cut_short_422.jpg", image(40, 24, [0x21, 0x11, 0x11], [(first, 0, None), (second, 3, 3)])
    yield "jpeg_rows_grey_second_scan_restart_missing.jpg", image(19, 45, [0x11], [(first, 0, None), (second, 4, 8)])
    yield "jpeg_rows_adobe_rgb_after_scan.jpg", image(21, 17, [0x11, 0x11, 0x11], [(first, 0, None)], adobe_rgb)
    for s in (0x11, 0x21, 0x12, 0x22, 0x41, 0x14, 0x31, 0x42):
        yield "jpeg_rows_sampling_%d%d.jpg" % (s >> 4, s & 15), image(37, 35, [s, 0x11, 0x11], [(first, 0, None)])
    # One scan that ends early at a missing restart marker, in the middle of
    # the image or right after its last MCU, and a tall image at 4 rows of
    # blocks an MCU: rows of MCUs written in turn to the same place in planes
    # kept two rows high.
    yield "jpeg_rows_one_scan_restart_missing_420.jpg", image(40, 72, [0x22, 0x11, 0x11], [(first, 2, 4)])
    yield "jpeg_rows_grey_one_scan_restart_missing.jpg", image(19, 45, [0x11], [(first, 4, 8)])
    yield "jpeg_rows_restart_ends_at_last_mcu_420.jpg", image(24, 40, [0x22, 0x11, 0x11], [(first, 3, None)])
    yield "jpeg_rows_tall_sampling_14.jpg", image(37, 100, [0x14, 0x11, 0x11], [(first, 0, None)])


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)
    print("%6d  %s" % (len(data), os.path.join(os.path.basename(folder), name)))


def main():
    for make in (palette_cases, dqt16_cases, progressive_dc_cases, cut_cases, rows_cases):
        for name, data in make():
            write(HERE, name, data)
    for name, data in seeds():
        write(SEEDS, name, data)


if __name__ == "__main__":
    main()
