#!/usr/bin/env python3
"""The host side of tools/handheld.sh: talks to the emulator's monitor and
reads and compares screens. Python's standard library only.

  handheld.py send SOCKET COMMAND...          monitor commands, in order
  handheld.py frame SOCKET EXPECTED OUT SECONDS
      waits until the emulated screen equals the picture EXPECTED, pixel for
      pixel; saves the last screen as OUT (PNG) either way
  handheld.py compare A B                     counts the pixels that differ

Pictures are PNG (8-bit RGB) or PPM (P6, as the emulator's screendump
writes). A short or damaged file is an
error, never a wait.
"""
import json
import os
import socket
import struct
import sys
import time
import zlib


class Failure(Exception):
    pass


def read_ppm(data):
    # P6 <width> <height> <maxval> and one whitespace byte, then the pixels.
    fields, pos = [], 0
    while len(fields) < 4:
        while pos < len(data) and data[pos : pos + 1].isspace():
            pos += 1
        if data[pos : pos + 1] == b"#":
            end = data.find(b"\n", pos)
            pos = len(data) if end < 0 else end + 1
            continue
        start = pos
        while pos < len(data) and not data[pos : pos + 1].isspace():
            pos += 1
        if start == pos:
            raise Failure("short PPM header")
        fields.append(data[start:pos])
    if fields[0] != b"P6" or fields[3] != b"255":
        raise Failure("not an 8-bit P6 PPM")
    width, height = int(fields[1]), int(fields[2])
    if width <= 0 or height <= 0:
        raise Failure("PPM of %dx%d pixels" % (width, height))
    pixels = data[pos + 1 : pos + 1 + width * height * 3]
    if len(pixels) != width * height * 3:
        raise Failure("short PPM: %d of %d pixel bytes" % (len(pixels), width * height * 3))
    return width, height, pixels


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else b if pb <= pc else c


def read_png(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise Failure("not a PNG")
    pos, header, idat = 8, None, b""
    while True:
        if pos + 8 > len(data):
            raise Failure("short PNG: no IEND")
        length, kind = struct.unpack(">I4s", data[pos : pos + 8])
        body = data[pos + 8 : pos + 8 + length]
        if len(body) != length:
            raise Failure("short PNG chunk %r" % kind)
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    if header is None:
        raise Failure("PNG without IHDR")
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour != 2 or interlace:
        raise Failure("PNG is not 8-bit RGB, non-interlaced")
    stride = width * 3
    try:
        raw = zlib.decompress(idat)
    except zlib.error as e:
        raise Failure("damaged PNG data: %s" % e)
    if len(raw) != height * (stride + 1):
        raise Failure("short PNG data")
    rows, prior = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1 : (y + 1) * (stride + 1)])
        for i in range(stride):
            a = row[i - 3] if i >= 3 else 0
            c = prior[i - 3] if i >= 3 else 0
            b = prior[i]
            row[i] = (row[i] + (0, a, b, (a + b) // 2, paeth(a, b, c))[kind]) & 255
        rows.append(bytes(row))
        prior = row
    return width, height, b"".join(rows)


def read_picture(path):
    with open(path, "rb") as f:
        data = f.read()
    try:
        return read_png(data) if data[:4] == b"\x89PNG" else read_ppm(data)
    except (Failure, ValueError, IndexError, struct.error) as e:
        raise Failure("%s: %s" % (path, e))


def write_png(path, width, height, pixels):
    def chunk(kind, body):
        crc = zlib.crc32(kind + body)
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", crc)

    stride = width * 3
    raw = b"".join(b"\0" + pixels[y * stride : (y + 1) * stride] for y in range(height))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def differing(a, b):
    if a[:2] != b[:2]:
        return None
    pa, pb = a[2], b[2]
    return sum(1 for i in range(0, len(pa), 3) if pa[i : i + 3] != pb[i : i + 3])


class Monitor:
    """One connection to the emulator's QMP socket; every read is bounded."""

    def __init__(self, path):
        self.sock = socket.socket(socket.AF_UNIX)
        self.sock.settimeout(10)
        try:
            self.sock.connect(path)
        except OSError as e:
            raise Failure("cannot reach the emulator's monitor at %s: %s" % (path, e))
        self.lines = self.sock.makefile("rb")
        self.reply()  # the greeting
        self.call("qmp_capabilities")

    def reply(self):
        while True:
            try:
                line = self.lines.readline()
            except socket.timeout:
                raise Failure("the emulator's monitor did not answer within 10 s")
            if not line:
                raise Failure("the emulator closed its monitor")
            message = json.loads(line)
            if "event" not in message:
                return message

    def call(self, command, **arguments):
        request = {"execute": command, "arguments": arguments}
        self.sock.sendall(json.dumps(request).encode() + b"\n")
        message = self.reply()
        if "error" in message:
            raise Failure("monitor: %s: %s" % (command, message["error"].get("desc")))
        return message.get("return")

    def human(self, line):
        text = self.call("human-monitor-command", **{"command-line": line})
        if text:
            raise Failure("monitor: %s: %s" % (line, text.strip()))


def send(sock, *commands):
    monitor = Monitor(sock)
    for line in commands:
        monitor.human(line)
        time.sleep(0.05)  # one input event per poll of the guest's devices


def frame(sock, expected, out, seconds):
    want = read_picture(expected)
    monitor = Monitor(sock)
    dump = out + ".ppm"
    deadline = time.monotonic() + float(seconds)
    while True:
        monitor.call("screendump", filename=os.path.abspath(dump))
        screen = read_picture(dump)
        count = differing(screen, want)
        if count == 0 or time.monotonic() > deadline:
            break
        time.sleep(0.2)
    os.remove(dump)
    write_png(out, *screen)
    if count != 0:
        what = "a %dx%d screen" % screen[:2] if count is None else "%d pixels differ" % count
        raise Failure("the screen did not become %s within %s s: %s (last screen in %s)"
                      % (expected, seconds, what, out))


def compare(a, b):
    pa, pb = read_picture(a), read_picture(b)
    count = differing(pa, pb)
    if count is None:
        raise Failure("%s is %dx%d, %s is %dx%d" % (a, pa[0], pa[1], b, pb[0], pb[1]))
    print("%s: %d of %d pixels differ from %s" % (a, count, pa[0] * pa[1], b))
    if count:
        raise Failure("%s differs from %s" % (a, b))


def main(argv):
    # Each command with the least and most number of arguments it takes.
    commands = {"send": (send, 2, 1000), "frame": (frame, 4, 4), "compare": (compare, 2, 2)}
    run, least, most = commands.get(argv[1] if len(argv) > 1 else "", (None, 0, 0))
    if run is None or not least <= len(argv) - 2 <= most:
        sys.exit(__doc__)
    try:
        run(*argv[2:])
    except (Failure, OSError, ValueError) as e:
        sys.exit("handheld: %s" % e)


if __name__ == "__main__":
    main(sys.argv)
