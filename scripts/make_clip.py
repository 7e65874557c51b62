#!/usr/bin/env python3
"""Writes a small uncompressed AVI clip: coloured vertical bars that move one step to the right
every frame, over a dark band at the bottom that shows the frame number as a bar length.

    make_clip.py [--width 160] [--height 120] [--frames 30] [--fps 25] [--bits 32] output.avi

Frames are 32-bit by default: Wine's AVI device draws 24-bit frames scrambled on a 24-bit X
screen (every pixel's bytes spread over neighbouring pixels), while 32-bit frames show right.
"""
import argparse
import struct
import sys

BAR_COLOURS = [  # (red, green, blue)
    (255, 255, 255), (255, 255, 0), (0, 255, 255), (0, 255, 0),
    (255, 0, 255), (255, 0, 0), (0, 0, 255), (16, 16, 16),
]


def chunk(fourcc, payload):
    padding = b"\0" if len(payload) % 2 else b""
    return fourcc + struct.pack("<I", len(payload)) + payload + padding


def riff_list(kind, fourcc, payload):
    return kind + struct.pack("<I", len(payload) + 4) + fourcc + payload


def frame_pixels(width, height, frame, frames, bits):
    """One bottom-up BGR(X) frame with rows padded to four bytes."""
    pixel = (lambda red, green, blue: bytes((blue, green, red))) if bits == 24 else \
        (lambda red, green, blue: bytes((blue, green, red, 0)))
    bar_width = max(1, width // len(BAR_COLOURS))
    shift = frame * max(1, width // max(1, frames))
    row_padding = b"\0" * ((4 - width * (bits // 8) % 4) % 4)
    bars = bytearray()
    for x in range(width):
        red, green, blue = BAR_COLOURS[((x - shift) // bar_width) % len(BAR_COLOURS)]
        bars += pixel(red, green, blue)
    bars = bytes(bars) + row_padding
    band_height = max(1, height // 8)
    filled = width * (frame + 1) // max(1, frames)
    band = pixel(255, 255, 255) * filled + pixel(32, 32, 32) * (width - filled) + row_padding
    # Bottom-up: the first rows stored are the bottom of the picture, the frame-number band.
    return band * band_height + bars * (height - band_height)


def make_clip(width, height, frames, fps, bits):
    frame_size = len(frame_pixels(width, height, 0, frames, bits))
    microseconds = 1000000 // fps
    avih = struct.pack("<14I", microseconds, frame_size * fps, 0, 0x10, frames, 0, 1,
                       frame_size, width, height, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"vids", b"DIB ", 0, 0, 0, 0, 1, fps, 0, frames,
                       frame_size, 0xFFFFFFFF, 0, 0, 0, width, height)
    strf = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, frame_size, 0, 0, 0, 0)
    header = riff_list(b"LIST", b"hdrl", chunk(b"avih", avih) +
                       riff_list(b"LIST", b"strl", chunk(b"strh", strh) + chunk(b"strf", strf)))

    movie = bytearray()
    index = bytearray()
    for frame in range(frames):
        offset = len(movie) + 4   # relative to the "movi" fourcc
        movie += chunk(b"00db", frame_pixels(width, height, frame, frames, bits))
        index += struct.pack("<4sIII", b"00db", 0x10, offset, frame_size)
    body = header + riff_list(b"LIST", b"movi", bytes(movie)) + chunk(b"idx1", bytes(index))
    return riff_list(b"RIFF", b"AVI ", body)


def main():
    parser = argparse.ArgumentParser(description="Writes an uncompressed AVI clip.")
    parser.add_argument("--width", type=int, default=160)
    parser.add_argument("--height", type=int, default=120)
    parser.add_argument("--frames", type=int, default=30)
    parser.add_argument("--fps", type=int, default=25)
    parser.add_argument("--bits", type=int, choices=(24, 32), default=32)
    parser.add_argument("output")
    arguments = parser.parse_args()
    for name in ("width", "height", "frames", "fps"):
        if getattr(arguments, name) < 1:
            parser.error(f"--{name} must be at least 1")
    with open(arguments.output, "wb") as output:
        output.write(make_clip(arguments.width, arguments.height, arguments.frames, arguments.fps,
                               arguments.bits))
    return 0


if __name__ == "__main__":
    sys.exit(main())
