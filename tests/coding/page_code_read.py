#!/usr/bin/python3
"""Finds and reads the Aztec code anywhere on a whole page image with zxing-cpp.

zxing-cpp 1.4 looks for an Aztec symbol's bullseye from the middle of the image outwards, so a symbol
away from the middle of a page is never found in the page as a whole. The page is therefore looked at
through windows centred on a grid finer than a bullseye, each padded with white where it passes the
page's edge; every window that holds a symbol reads it. All reads must agree.
Prints "bytes <HEX>", "text <text>" and "position x,y x,y x,y x,y" (page pixels); exit status 1 when
no symbol is found or two reads differ.
Usage: page_code_read.py <page image>
"""
import sys

import zxingcpp
from PIL import Image

WINDOW = 480  # larger than the largest symbol the pages carry, with its quiet zone
STEP = 40     # finer than a bullseye at 300 dpi


def reads(page):
    for cy in range(0, page.height + STEP, STEP):
        for cx in range(0, page.width + STEP, STEP):
            left, top = cx - WINDOW // 2, cy - WINDOW // 2
            window = Image.new("L", (WINDOW, WINDOW), 255)
            window.paste(page.crop((max(left, 0), max(top, 0), min(left + WINDOW, page.width),
                                    min(top + WINDOW, page.height))), (max(-left, 0), max(-top, 0)))
            found = zxingcpp.read_barcode(window, formats=zxingcpp.BarcodeFormat.Aztec)
            if found is not None and found.valid:
                p = found.position
                corners = [(c.x + left, c.y + top) for c in (p.top_left, p.top_right, p.bottom_right, p.bottom_left)]
                yield bytes(found.bytes), found.text, corners


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    page = Image.open(sys.argv[1]).convert("L")
    first = None
    for data, text, corners in reads(page):
        if first is None:
            first = (data, text, corners)
        elif data != first[0] or max(abs(a - b) for c, d in zip(corners, first[2]) for a, b in zip(c, d)) > STEP:
            print(f"two different reads: {first[0].hex()} at {first[2]} and {data.hex()} at {corners}", file=sys.stderr)
            return 1
    if first is None:
        print("no Aztec symbol on the page", file=sys.stderr)
        return 1
    data, text, corners = first
    print("bytes", data.hex().upper())
    print("text", text)
    print("position", " ".join(f"{x},{y}" for x, y in corners))
    return 0


if __name__ == "__main__":
    sys.exit(main())
