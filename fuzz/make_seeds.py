#!/usr/bin/env python3
"""Writes the fuzz targets' seed inputs to fuzz/corpus/<target>/ (the files are kept in the repo)."""
import math
import pathlib
import struct

INT32_MAX, INT32_MIN = 2**31 - 1, -2**31


def texts(*parts):   # the string-search layout: two-byte length, then the bytes
    return b"".join(struct.pack("<H", len(p)) + p for p in parts[:-1]) + parts[-1]


# The lower case of the Western code page (1252) as table edits: S, OE and Z with caron, Y with
# diaeresis, and the accented capitals but the multiplication sign.
WESTERN_CAPITALS = [0x8A, 0x8C, 0x8E] + [c for c in range(0xC0, 0xDF) if c != 0xD7]
WESTERN = bytes([len(WESTERN_CAPITALS) + 1, 0x9F, 0xFF]) + b"".join(
    bytes([c, c + (0x10 if c < 0xC0 else 0x20)]) for c in WESTERN_CAPITALS)

SEEDS = {
    "command_line_fuzz": [b"", b"prog   ", b'prog "C:\\My Clips\\a b.avi" 1 0', b'prog """"', b'prog "quoted"letters',
                          b'prog "open to the end  ', b'prog a"b c\td'],
    "parse_value_fuzz": [b"$ff", b"&17", b"%101", b"  $10zz ", b"$FFFFFFFF", b" 15", b"-2.7", b"1,5", b"3000000000",
                         b" 1.5", b"12abc", b"", b"1.5\0", b"\xA0\t42\r\n"],
    "from_real_fuzz": [struct.pack("<dii i", x, decimals, width, integer) for x, decimals, width, integer in [
        (12.5, 6, 0, 0), (0.125, 2, 0, -42), (2.675, 2, 12, 7), (1e308, 1100, 0, 0), (5e-324, INT32_MAX, 0, 0),
        (12345.6, -2, 0, 0), (math.nan, 6, 0, 0), (-math.inf, 6, 9, 0), (0.5, 0, INT32_MAX, 0),
        (-0.0000001, 6, -1, INT32_MIN), (9.9999996, 6, 1 << 20, 1)]],
    # shape: letters, 0 for all bytes (bits 0-1), log2 of the text's copies (bits 2-4) and of the needle's (bits 5-7)
    "string_search_fuzz": [struct.pack("<iiB", field, blanks, shape) + texts(s, needle, replacement)
                           for field, blanks, shape, s, needle, replacement in [
        (2, 3, 0, b"10 20 30 40", b" ", b"x"), (3, 0, 0, b"a\0b\0c", b"\0", b"\0\0"), (1, INT32_MAX, 0, b"aaaa", b"aa", b"b"),
        (0, -1, 0, b".mpg|.mpe|.dat|mpeg", b".mpg", b""), (INT32_MAX, 1 << 20, 0, b"abab", b"ab", b"abab"),
        (7, 0, 2 | 7 << 2 | 5 << 5, b"\0\0\0\1", b"\0\0\0\1\0", b"yz"), (40, 1, 2 | 7 << 2, b"\0" * 31 + b"\1", b"\0", b"yz"),
        (3, 0, 3 | 5 << 2 | 3 << 5, b"\0\1\2\0\1", b"\0\1\2", b""), (5, 0, 1 | 6 << 2, b"x" * 16, b"x", b"abc"),
        (4, 0, 0, b"10 20 30 40", b" ", b""), (2, 0, 0, b"whole", b" ", b""), (2, 0, 0, b"a::b::c", b"::", b""),
        (1, 0, 0, b"abc", b"c\0", b"")]],   # the last field, no delimiter, a long one, a match only with the terminator
    # the number of table edits, the edits (byte, its lower case), then the text
    "lower_case_fuzz": [b"\0ABC.MPG\0Z", b"\0" + b"Gr\xd6\xdfe \xc4PFEL, *.MPG und \xdcBERGR\xd6\xdfE " * 3,
                        b"\2\xc4\xe4\xd6\xf6" + b"\xc4\xd6 ABC " * 9, b"\1AA" + b"AaZz@[`{" * 40, WESTERN + bytes(range(256)) * 2],
    "file_dialog_filter_fuzz": [b"\x01archive.tar.gz", b"\x01C:\\Filme.alt\\clip.avi", b"\x01D:/ohne_punkt",
                                b"\x00Videos|*.avi", b"\x00*.avi|*.mpg|*.wav", b"\x00Videos||*.avi", b"\x00"],
}

root = pathlib.Path(__file__).resolve().parent / "corpus"
for target, seeds in SEEDS.items():
    folder = root / target
    folder.mkdir(parents=True, exist_ok=True)
    for number, seed in enumerate(seeds, 1):
        (folder / f"seed{number:02}").write_bytes(seed)
