#!/usr/bin/env python3
"""Reads the SMS-SUBMIT PDUs of an EMS iMelody (hex, service-centre field first, one a
line). python-gammu, which shares no code with Pealix, decodes each PDU; the user data
header's elements are then read as 3GPP TS 23.040 lays them out (00 concatenation,
13 user prompt indicator, 0C user defined sound) and the iMelody objects note by note.

Prints per part: PART <number> <count> <reference> <message reference> <prompt count or
-1> <objects> <text>; then per melody token of all objects in order: NOTE <key>
<duration digit> <specifier>, REST <duration digit> <specifier> or VOLUME <value>.
Exit status 3 without gammu, 1 (with a line saying why) for a malformed part."""
import re
import sys

try:
    import gammu
except ImportError:
    sys.exit(3)

SEMITONES = {"c": 0, "d": 2, "e": 4, "f": 5, "g": 7, "a": 9, "b": 11}


def fail(why):
    print("BAD " + why)
    sys.exit(1)


def melody_tokens(obj):
    text = obj.decode("ascii")
    if not text.startswith("BEGIN:IMELODY\r\n") or not text.endswith("\r\nEND:IMELODY\r\n"):
        fail("object without BEGIN/END lines")
    lines = text.split("\r\n")
    if "VERSION:1.0" not in lines or "FORMAT:CLASS1.0" not in lines:
        fail("object without VERSION/FORMAT")
    body = text[text.index("\r\nMELODY:") + 9 : text.index("\r\nEND:IMELODY")]
    body = body.replace("\r\n ", "")  # folded lines go on after one blank
    octave = 4  # every object starts in the default octave
    at = 0
    token = re.compile(r"(\*(\d))?([#&]?)([a-g])([0-5])([.:;]?)|r([0-5])([.:;]?)|V(\+|-|\d+)")
    while at < len(body):
        m = token.match(body, at)
        if not m:
            fail("unreadable melody at " + body[at:])
        if m.group(4):
            if m.group(2):
                octave = int(m.group(2))
            key = (octave + 2) * 12 + SEMITONES[m.group(4)]
            key += {"#": 1, "&": -1}.get(m.group(3), 0)
            print("NOTE %d %s %s" % (key, m.group(5), m.group(6) or "-"))
        elif m.group(7):
            print("REST %s %s" % (m.group(7), m.group(8) or "-"))
        else:
            print("VOLUME " + m.group(9))
        at = m.end()


objects = []
for line in sys.stdin:
    line = line.strip()
    if not line:
        continue
    sms = gammu.DecodePDU(bytes.fromhex(line), SMSC=True)
    if sms["Coding"] != "Default_No_Compression":
        fail("coding " + sms["Coding"])
    udh = bytes(sms["UDH"]["Text"])
    if not udh or udh[0] != len(udh) - 1:
        fail("header length")
    at, concat, prompt, found = 1, None, -1, 0
    while at < len(udh):
        iei, length = udh[at], udh[at + 1]
        data = udh[at + 2 : at + 2 + length]
        if len(data) != length:
            fail("element runs past the header")
        if iei == 0x00:
            concat = data
        elif iei == 0x13:
            prompt = data[0]
        elif iei == 0x0C:
            if data[0] != 0:
                fail("sound not at the start of the text")
            objects.append(data[1:])
            found += 1
        else:
            fail("unexpected element %02X" % iei)
        at += 2 + length
    if concat is None or len(concat) != 3:
        fail("no concatenation element")
    print("PART %d %d %d %d %d %d %s" % (concat[2], concat[1], concat[0],
                                         sms["MessageReference"], prompt, found,
                                         sms["Text"].strip() or "-"))

for obj in objects:
    melody_tokens(obj)
