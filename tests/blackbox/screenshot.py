# SPDX-License-Identifier: MIT
"""Reads what xwd wrote (a window or the whole screen) into rows of (r, g, b), and the checks
the zoom tests make on it."""
import struct


def read_xwd(path):
    data = open(path, 'rb').read()
    header = struct.unpack('>25I', data[:100])
    header_size, width, height = header[0], header[4], header[5]
    byte_order, bits_per_pixel, bytes_per_line, colours = header[7], header[11], header[12], header[19]
    step = bits_per_pixel // 8
    assert step in (3, 4), bits_per_pixel
    start = header_size + colours * 12
    rows = []
    for y in range(height):
        line = data[start + y * bytes_per_line:start + y * bytes_per_line + width * step]
        if byte_order == 0:  # least significant byte first: blue, green, red
            rows.append([(line[i + 2], line[i + 1], line[i]) for i in range(0, width * step, step)])
        else:
            rows.append([(line[i + step - 3], line[i + step - 2], line[i + step - 1])
                         for i in range(0, width * step, step)])
    return rows


def squares_of(rows, left, top, width, height, side):
    """Whether every side x side square of the area, counted from its corner, is one colour:
    a picture zoomed by whole pixels. Returns the first square that is not, or None."""
    for y in range(top, top + height, side):
        for x in range(left, left + width, side):
            colour = rows[y][x]
            for dy in range(side):
                for dx in range(side):
                    if rows[y + dy][x + dx] != colour:
                        return (x, y)
    return None


def uniform(rows, left, top, width, height):
    """The one colour of the area, or None when it holds more than one."""
    colours = {rows[y][x] for y in range(top, top + height) for x in range(left, left + width)}
    return colours.pop() if len(colours) == 1 else None
