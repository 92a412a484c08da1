#!/usr/bin/python3
"""The power status of a projector, queried the way integrators script it
today: pyserial, one write, read up to the CR, a table of replies.

    pyserial_status.py DEVICE [BAUD]
"""
import sys

import serial

STATUS = {
    "00": "Power ON",
    "80": "Stand by",
    "40": "Count down",
    "20": "Cooling down",
    "10": "Power abnormality",
    "08": "Temperature abnormality",
    "18": "Temperature abnormality",
    "28": "Temperature abnormality",
    "48": "Temperature abnormality",
    "88": "Temperature abnormality",
    "21": "Lamp Failure",
    "81": "Lamp Failure",
}


def main():
    device = sys.argv[1]
    baud = int(sys.argv[2]) if len(sys.argv) > 2 else 19200
    with serial.Serial(device, baud, bytesize=serial.EIGHTBITS, parity=serial.PARITY_NONE,
                       stopbits=serial.STOPBITS_ONE, timeout=1.0) as port:
        port.write(b"CR0\r")
        reply = port.read_until(b"\r")
    if not reply:
        print("no reply", file=sys.stderr)
        return 3
    words = STATUS.get(reply[:2].decode("ascii", "replace"))
    if words is None:
        print("reply not understood: %r" % reply, file=sys.stderr)
        return 4
    print(words)
    return 0


if __name__ == "__main__":
    sys.exit(main())
