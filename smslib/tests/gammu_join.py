#!/usr/bin/env python3
"""Reads SMS-SUBMIT PDUs (hex, service-centre field first, one a line) and decodes them
with python-gammu, a decoder that shares no code with this library. Prints one line per
PDU: PART <number> <count> <reference> <coding>, then TEXT <hex of the UTF-8 text that
gammu joins from all the parts>. Exit status 3 when gammu is not installed."""
import sys

try:
    import gammu
except ImportError:
    sys.exit(3)

messages = []
for line in sys.stdin:
    line = line.strip()
    if not line:
        continue
    sms = gammu.DecodePDU(bytes.fromhex(line), SMSC=True)
    udh = sms["UDH"]
    print("PART %d %d %d %s" % (udh["PartNumber"], udh["AllParts"], udh["ID8bit"], sms["Coding"]))
    messages.append([sms])

joined = gammu.LinkSMS(messages)
text = ""
for group in joined:
    info = gammu.DecodeSMS(group)
    if info is None:  # a single message without a concatenation header
        text += "".join(m["Text"] for m in group)
    else:
        text += "".join(e["Buffer"] or "" for e in info["Entries"] if e["Buffer"] is not None)
print("TEXT " + text.encode("utf-8", "surrogatepass").hex())
