#!/usr/bin/env python3
"""The emulator's monitor for tools/handheld.sh: sends human monitor commands
(sendkey, mouse_move, screendump ...) in order through the QMP socket, one
input event per poll of the guest's devices; or presses the guest's pad's
buttons through the serial line it reads. Python's standard library only.

  handheld.py SOCKET COMMAND...
  handheld.py --pad SOCKET BUTTON...
"""
import json
import socket
import sys
import time


def fail(text):
    sys.exit("handheld: %s" % text)


class Monitor:
    """One connection to the emulator's QMP socket; every read is bounded."""

    def __init__(self, path):
        self.sock = socket.socket(socket.AF_UNIX)
        self.sock.settimeout(10)
        try:
            self.sock.connect(path)
        except OSError as e:
            fail("cannot reach the emulator's monitor at %s: %s" % (path, e))
        self.lines = self.sock.makefile("rb")
        self.reply()  # the greeting
        self.call("qmp_capabilities")

    def reply(self):
        while True:
            try:
                line = self.lines.readline()
            except socket.timeout:
                fail("the emulator's monitor did not answer within 10 s")
            if not line:
                fail("the emulator closed its monitor")
            message = json.loads(line)
            if "event" not in message:
                return message

    def call(self, command, **arguments):
        request = {"execute": command, "arguments": arguments}
        self.sock.sendall(json.dumps(request).encode() + b"\n")
        message = self.reply()
        if "error" in message:
            fail("monitor: %s: %s" % (command, message["error"].get("desc")))
        return message.get("return")


def press(path, buttons):
    """The pad's buttons, one a line. The emulator takes a connection a
    while after it is made: what is sent before, or closed before it has
    been read, is lost."""
    pad = socket.socket(socket.AF_UNIX)
    pad.settimeout(10)
    try:
        pad.connect(path)
    except OSError as e:
        fail("cannot reach the pad's line at %s: %s" % (path, e))
    time.sleep(0.5)
    pad.sendall("".join("%d\n" % int(b) for b in buttons).encode())
    time.sleep(0.5)
    pad.close()


if __name__ == "__main__":
    if len(sys.argv) < 3 or sys.argv[1] == "--pad" and len(sys.argv) < 4:
        sys.exit(__doc__)
    try:
        if sys.argv[1] == "--pad":
            press(sys.argv[2], sys.argv[3:])
            sys.exit()
        monitor = Monitor(sys.argv[1])
        for line in sys.argv[2:]:
            text = monitor.call("human-monitor-command", **{"command-line": line})
            if text:
                fail("monitor: %s: %s" % (line, text.strip()))
            time.sleep(0.05)
    except (OSError, ValueError) as e:
        fail(e)
