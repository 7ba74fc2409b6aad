#!/usr/bin/env python3
"""The emulator's monitor for tools/handheld.sh: sends human monitor commands
(sendkey, mouse_move, screendump ...) in order through the QMP socket, one
input event per poll of the guest's devices. Python's standard library only.

  handheld.py SOCKET COMMAND...
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


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    try:
        monitor = Monitor(sys.argv[1])
        for line in sys.argv[2:]:
            text = monitor.call("human-monitor-command", **{"command-line": line})
            if text:
                fail("monitor: %s: %s" % (line, text.strip()))
            time.sleep(0.05)
    except (OSError, ValueError) as e:
        fail(e)
