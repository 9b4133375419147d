#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Each seed is laid out the way its target's FuzzInput reads it (see the target's source):
a few option bytes, then the payload. The payloads are realistic melodies, texts and
messages so that every reader, writer and export starts from a good input.
Run again after changing a target's input layout: python3 fuzz/make_seeds.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.dirname(HERE)
MELODY_DATA = os.path.join(TOP, "melodylib", "tests", "data")


def small(v):
    """FuzzInput::smallOrAny: one mode byte, then an int8 or (mode >= 200) an int32."""
    if -128 <= v <= 127:
        return bytes([0, v & 0xFF])
    return bytes([200]) + struct.pack("<i", v)


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def clear(target):
    folder = os.path.join(HERE, "corpus", target)
    if os.path.isdir(folder):
        for name in os.listdir(folder):
            os.remove(os.path.join(folder, name))


def data_file(*parts):
    with open(os.path.join(MELODY_DATA, *parts), "rb") as f:
        return f.read()


# ---------------------------------------------------------------------------------------
# Melodies as event records: (iSimpleLen, iDotLen, nEvent, val1, val2)
NOTE, STYLE, TEMPO, VOLUME, LOOP, PAUSE = 1, 3, 4, 5, 6, 16


def tune():
    events = [(0, 0, TEMPO, 112, 0), (0, 0, STYLE, 1, 0), (0, 0, VOLUME, 0, 100),
              (0, 0, LOOP, 1, 2)]
    phrase = [(8, 0, 76), (8, 0, 75), (8, 0, 76), (8, 0, 75), (8, 0, 76), (8, 0, 71),
              (8, 0, 74), (8, 0, 72), (4, 1, 69), (16, 0, 60), (8, 0, 64), (8, 0, 69),
              (4, 0, 71), (2, 2, 64), (32, 0, 80), (1, 0, 57)]
    for length, dot, key in phrase:
        events.append((length, dot, NOTE, key, 110))
    events += [(8, 0, PAUSE, 0, 0), (0, 0, LOOP, 1, 2), (0, 0, STYLE, 2, 0),
               (0, 0, VOLUME, 1, 1), (4, 3, NOTE, 84, 127), (16, 1, PAUSE, 0, 0),
               (0, 0, TEMPO, 90, 0), (0, 0, VOLUME, 1, 0), (2, 0, NOTE, 45, 64),
               (0, 0, STYLE, 0, 0), (4, 0, NOTE, 96, 20)]
    return events


def records(events):
    out = b""
    for length, dot, kind, v1, v2 in events:
        # kind byte: index into the target's kind table {1,1,1,16,16,3,4,5,6,0,2,99}
        kind_byte = {NOTE: 0, PAUSE: 3, STYLE: 5, TEMPO: 6, VOLUME: 7, LOOP: 8}[kind]
        out += small(length) + bytes([dot & 0xFF, kind_byte]) + small(v1) + small(v2)
        out += small(0) + small(0)
    return out


# ---------------------------------------------------------------------------------------
def read_melody():
    clear("read_melody")
    formats = {2: 0, 7: 1, 10: 2, 3: 6, 77: 7}  # index into the target's format table

    def seed(fmt, source, text, capacity=77, title=23, channel=b"\x00"):
        return bytes([formats[fmt], source, capacity + 2, title, 12]) + channel + text

    rtttl = [
        b"Morning:d=8,o=5,b=140:e6,d#6,e6,d#6,e6,b,d6,c6,4a,c,e,a,4b,e,g#,b,4c6,p,e,e6,d#6,"
        b"e6,d#6,e6,b,d6,c6,4a,c,e,a,4b,e,c6,b,2a",
        b"Scale:d=4,o=6,b=200:c,c#,d,d#,e,f,f#,g,g#,a,a#,b,8c7.,16p,32h,2p.,1g4",
        data_file("rtttl", "ok", "simple.rtx"),
        data_file("rtttl", "ok", "crlf_lines.rtx"),
        data_file("rtttl", "ok", "upper_case.rtx"),
    ]
    for i, text in enumerate(rtttl):
        write("read_melody", f"rtttl{i}_file", seed(7, 0, text))
        write("read_melody", f"rtttl{i}_clip", seed(7, 1, text))
    write("read_melody", "rtttl_short_records", seed(7, 0, rtttl[0], capacity=5, title=3))

    sagem = [
        b"$MUS$1.0$\nTitre:Tune\nData:2-385-100\n'E$ ",
        b"$MUS$1.0$\r\nTitre:Clock\r\nData:8-385-80\r\n'K'N*Q!2%5)4,A-b$ ",
        data_file("sagem", "ok", "crlf_codes.srt"),
        data_file("sagem", "ok", "second_spellings.srt"),
    ]
    for i, text in enumerate(sagem):
        write("read_melody", f"sagem{i}_file", seed(2, 0, text))
        write("read_melody", f"sagem{i}_clip", seed(2, 1, text))

    for name in ("format0_one_channel.mid", "format1_running_status.mid"):
        midi = data_file("midi", "ok", name)
        stem = name.split("_")[0]
        write("read_melody", f"midi_{stem}_file", seed(10, 0, midi))
        write("read_melody", f"midi_{stem}_hex", seed(10, 2, midi))
    midi = small_midi()
    write("read_melody", "midi_song_file", seed(10, 0, midi))
    write("read_melody", "midi_song_hex", seed(10, 2, midi))
    write("read_melody", "midi_song_channel1", seed(10, 0, midi, channel=b"\x01\x01"))
    write("read_melody", "midi_song_clip_plain", seed(10, 1, midi))
    write("read_melody", "keypress_not_readable", seed(3, 0, b"1111 22 3"))
    write("read_melody", "unknown_format", seed(77, 1, b"x"))


def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, 0x80 | (n & 0x7F))
        n >>= 7
    return bytes(out)


def track(events):
    body = b"".join(events) + b"\x00\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(body)) + body


def small_midi():
    """Format 1, a tempo track and one melody track: name, program, style text, loop
    markers, notes with running status and a rest."""
    meta = [b"\x00\xff\x03" + vlq(4) + b"Song", b"\x00\xff\x51\x03\x07\xa1\x20",
            b"\x00\xff\x58\x04\x04\x02\x18\x08"]
    notes = [b"\x00\xc0\x10", b"\x00\xff\x01" + vlq(20) + b"StyleChange:Staccato",
             b"\x00\xff\x06\x05Loop1"]
    keys = [64, 66, 68, 69, 71, 73, 75, 76, 74, 72]
    first = True
    for i, key in enumerate(keys):
        on = (b"\x90" if first else b"") + bytes([key, 100])
        first = False
        notes.append(vlq(0 if i != 4 else 96) + on)
        notes.append(vlq(96 * (1 + i % 2)) + bytes([key, 0]))
    notes.append(b"\x00\xff\x06\x05Loop1")
    notes.append(b"\x00\x80\x3c\x40")
    header = b"MThd" + struct.pack(">IHHH", 6, 1, 2, 96)
    return header + track(meta) + track(notes)


# ---------------------------------------------------------------------------------------
def export_melody():
    clear("export_melody")
    formats = [2, 3, 7, 8, 9, 10, 12, 14, 19]
    events = tune()
    # The key-press composer takes notes and pauses without triplets: an event it cannot
    # enter stops the writer.
    composer = [(length, 0 if dot == 3 else dot, kind, v1, v2)
                for length, dot, kind, v1, v2 in events if kind in (NOTE, PAUSE)]
    for fmt in formats:
        index = formats.index(fmt)
        body = records(composer if fmt == 3 else events)
        targets = [("file", 0), ("clip", 1)] + ([] if fmt in (12, 19) else [("string", 2)])
        for target_name, target in targets:
            control = small(140)  # control[3]: BPM
            control += b"".join(small(0) for _ in range(6))  # format options
            title = b"Morning tune"
            head = bytes([index, target, 12]) + control
            head += bytes([0])  # buffer capacity: plenty
            head += bytes([0])  # count: every record
            head += bytes([len(title)]) + title
            write("export_melody", f"fmt{fmt}_{target_name}", head + body)
    # Options that change what the writers do: a Sagem size limit with CR LF and the
    # title kept, a small string buffer, a count below the records.
    body = records(events)
    sagem = bytes([0, 2, 12]) + small(0) + small(60) + small(1) + small(1) + b"".join(
        small(0) for _ in range(3)) + bytes([0, 0, 4]) + b"Tiny" + body
    write("export_melody", "fmt2_string_limited", sagem)
    keypad = bytes([formats.index(3), 2, 12]) + small(0) + small(2) + small(1) + small(4) + b"".join(
        small(0) for _ in range(3)) + bytes([0, 0, 0]) + records(composer)
    write("export_melody", "fmt3_string_keypad_from4", keypad)
    for fmt in (7, 9, 14):
        small_buffer = bytes([formats.index(fmt), 2, 12]) + small(0) + b"".join(
            small(0) for _ in range(6)) + bytes([1, 4, 2, 0]) + body
        write("export_melody", f"fmt{fmt}_string_small_buffer", small_buffer)
    long_events = (events * 12)[:301]
    write("export_melody", "fmt9_string_301",
          bytes([formats.index(9), 2, 12]) + small(0) + b"".join(small(0) for _ in range(6)) +
          bytes([0, 0, 0]) + records(long_events))


# ---------------------------------------------------------------------------------------
def modify_melody():
    clear("modify_melody")
    kinds = {NOTE: 0, PAUSE: 2, VOLUME: 3, STYLE: 5, TEMPO: 6, LOOP: 7}

    def seed(op_index, factor, events, capacity=None):
        out = bytes([op_index]) + small(factor)
        if capacity is None:
            out += bytes([0])  # capacity 400
        else:
            out += bytes([1, capacity])
        out += bytes([len(events)])
        for length, dot, kind, v1, v2 in events:
            out += small(length) + bytes([dot, kinds[kind]]) + small(v1) + small(v2)
            out += small(0) + small(0)
        return out

    events = tune()
    velocities = [(8, 0, NOTE, 60 + i, v) for i, v in enumerate([127, 100, 100, 64, 20, 0, 127, 90])]
    volumes = [(0, 0, VOLUME, 0, 100), (8, 0, NOTE, 60, 127), (0, 0, VOLUME, 1, 1),
               (8, 0, NOTE, 62, 127), (0, 0, VOLUME, 1, 0), (4, 1, NOTE, 64, 127),
               (8, 0, PAUSE, 0, 0), (0, 0, VOLUME, 0, 10), (2, 0, NOTE, 65, 127)]
    write("modify_melody", "op1_longer", seed(0, 2, events))
    write("modify_melody", "op1_shorter_tight", seed(3, 3, events, capacity=len(events) + 8))
    write("modify_melody", "op5_velocities", seed(1, 0, velocities + events))
    write("modify_melody", "op5_tight", seed(1, 0, velocities, capacity=len(velocities) + 1))
    write("modify_melody", "op6_volumes", seed(2, 0, volumes))
    write("modify_melody", "op6_mixed", seed(2, 0, events + volumes))


# ---------------------------------------------------------------------------------------
def sms_exports():
    clear("sms_exports")
    cp = {0: 0, 65001: 1, 1252: 2, 437: 3, 866: 5, 932: 6, 1251: 11, 20127: 14}

    def text(data):
        # length = size: mode 12 or 13 (odd size), then size / 2, then the bytes
        return bytes([12 | (len(data) & 1), len(data) // 2]) + data

    def address(digits, adr_type=1):
        mode = 3 | (adr_type << 4)  # digits given, Length = their count, AdrType
        return bytes([mode, len(digits)]) + bytes(int(d) for d in digits)

    def params(in_type, in_cp, out_type, msg_class=4, udhi=0, dcs=0, smsc=1, status=0):
        return bytes([0, in_type, cp[in_cp], status, smsc, out_type, cp[in_cp], msg_class, dcs,
                      udhi]) + small(0) + small(0)

    plenty = bytes([4])
    write("sms_exports", "version", bytes([0, 1, 0]))
    write("sms_exports", "ansi2uni_1252", bytes([1, 1, 0, 0xE4, cp[1252]]))
    write("sms_exports", "ansi2uni_866", bytes([1, 1, 0, 0xA0, cp[866]]))
    russian = "Привет, как дела? Встречаемся в 8.".encode()
    write("sms_exports", "uni_utf8", bytes([2, 1, cp[65001]]) + text(russian) + plenty)
    write("sms_exports", "uni_1251", bytes([2, 1, cp[1251]]) + text(russian.decode().encode("cp1251")) + plenty)
    seven = (b"Meet me at 8, bring {the} map & 20 EUR! " * 4)[:160]
    dest, smsc = address("491701234567"), address("491710760000")
    write("sms_exports", "submit_7bit_160",
          bytes([3, 1]) + params(1, 65001, 0) + dest + smsc + b"\x00" + text(seven) + plenty)
    write("sms_exports", "submit_ucs2_70",
          bytes([3, 1]) + params(1, 65001, 2, msg_class=0, status=1) + dest + smsc + b"\x00" +
          text(("Ж" * 70).encode()) + plenty)
    ringtone = (b"\x06\x05\x04\x15\x81\x15\x81\x02\x4a\x3a\x51\xd1\x95\xcd\xd0\x04\x00\x8a\x00"
                b"\x0b" + bytes((i * 37) & 0xFF for i in range(110)))
    write("sms_exports", "submit_nokia_ringtone",
          bytes([3, 1]) + params(3, 65001, 3, msg_class=1, udhi=1, dcs=1) + dest + smsc + b"\x00" +
          text(ringtone) + plenty)
    write("sms_exports", "submit_8bit_text_437",
          bytes([3, 1]) + params(1, 437, 1, smsc=0) + address("0170123", 2) + address("", 0) +
          b"\x00" + text("Grüße aus Köln".encode("cp437")) + plenty)
    packed = bytes([0x05, 0x00, 0x03, 0x2a, 0x02, 0x01]) + bytes(range(0x41, 0x41 + 60))
    write("sms_exports", "submit_raw_7bit_udh",
          bytes([3, 1]) + params(3, 65001, 0, udhi=1) + dest + smsc + b"\x00" + text(packed) +
          plenty)
    gsm = "Hello {world} [€] ~ ^ | \\ Ünïcödé ΔΦΓΛΩ @ £ $ ¥".encode()
    write("sms_exports", "convert_string_utf8", bytes([4, 1, cp[65001]]) + text(gsm) + plenty)
    write("sms_exports", "convert_string_sjis",
          bytes([4, 1, cp[932]]) + text("テスト abc".encode("cp932")) + plenty)
    write("sms_exports", "make7bit_utf8", bytes([5, 1, cp[65001], 1]) + text(gsm) + plenty)
    write("sms_exports", "make7bit_ascii", bytes([5, 1, cp[20127], 1]) + text(seven) + plenty)
    write("sms_exports", "gsm_header6", bytes([6, 1, cp[65001], 0, 6]) + text(gsm) + plenty)
    write("sms_exports", "gsm_header0_cp0", bytes([6, 1, cp[0], 0, 0]) + text(seven) + plenty)
    # rvMakeSubmitParts: selector 248, the parameters, the coding (4 automatic), the
    # addresses, the null mask, the reference, the text, the buffer shape.
    long_text = ("Ode [to] joy € Grüße " * 20).encode()[:500]
    write("sms_exports", "parts_auto_7bit",
          bytes([248, 1]) + params(1, 65001, 0) + bytes([4]) + dest + smsc + b"\x00" +
          bytes([0, 7]) + text(long_text) + bytes([1]))
    write("sms_exports", "parts_auto_ucs2",
          bytes([248, 1]) + params(1, 65001, 0) + bytes([4]) + dest + smsc + b"\x00" +
          bytes([0, 9]) + text(("日本 😀 " * 40).encode()[:500]) + bytes([0]))
    write("sms_exports", "parts_nokia_ringtone",
          bytes([248, 1]) + params(3, 65001, 3, msg_class=1, udhi=1, dcs=1) + bytes([3]) + dest +
          smsc + b"\x00" + bytes([0, 11]) + text(ringtone * 3) + bytes([10]))


# ---------------------------------------------------------------------------------------
def app_parsers():
    clear("app_parsers")

    def seed(mode, delimiter, text, prefill=2):
        return bytes([mode | (prefill << 3), len(delimiter)]) + delimiter + text

    composer = b"8#f2,4.-,16c1,8d1,8e1,4f1,4-,2g1,8a1,8b1,16#c2,32d2,1e3,4.#g1,4.-"
    write("app_parsers", "composer_read", seed(0, b",", composer))
    write("app_parsers", "composer_read_semicolon",
          seed(0, b";", composer.replace(b",", b";\r\n")))
    write("app_parsers", "composer_header",
          seed(1, b",", b"Name:Morning BPM:140 No.:15\r\n" + composer))
    write("app_parsers", "composer_import", seed(2, b",", composer))
    write("app_parsers", "composer_import_space", seed(2, b" ", composer.replace(b",", b" ")))
    write("app_parsers", "composer_import_header",
          seed(2, b",", b"Name:Tune BPM:90 No.:3\r\n4c1,8d1,16e1"))
    groups = "".join(f"{key:02X}00{code:02X}" for key, code in
                     [(0x3C, 0x0A), (0x3E, 0x08), (0x40, 0x11), (0x00, 0x10), (0x41, 0x0C),
                      (0x43, 0x0F), (0x45, 0x0A), (0x47, 0x08), (0x48, 0xFF), (0x01, 0x00)])
    hexed = f"0A0000{140:02X}".encode() + groups.encode()
    write("app_parsers", "sagem_hex_undo", seed(3, b"", b"01 00 00 78 3C000A"))
    write("app_parsers", "sagem_hex", seed(4, b"", hexed))
    write("app_parsers", "sagem_hex_spaced",
          seed(3, b"", b" ".join(hexed[i:i + 2] for i in range(0, len(hexed), 2))))
    # Format detection (the prefill bits are the file type the name suggests, plus one).
    write("app_parsers", "detect_rtttl_collection",
          seed(5, b"", b"\xef\xbb\xbfOne:d=4:c,d\r\n e\n\nTwo:b=90:g\nwords\n", prefill=2))
    write("app_parsers", "detect_midi_header", seed(5, b"", b"MThd\x00\x00\x00\x06", prefill=3))
    write("app_parsers", "detect_imelody", seed(5, b"", b"begin:imelody\r\nBEAT:90", prefill=0))
    # Counts read back from rendered messages, and an EMS list of two objects.
    imy = b"BEGIN:IMELODY\r\nVERSION:1.0\r\nFORMAT:CLASS1.0\r\nMELODY:V9c2*5#d3.r4\r\nEND:IMELODY\r\n"
    write("app_parsers", "ems_objects", seed(6, b"", imy + imy.replace(b"c2", b"e1"), prefill=0))
    nokia = (b"\x06\x05\x04\x15\x81\x15\x81\x02\x4a\x3a\x51\xd1\x95\xcd\xd0\x04\x00\x8a\x00"
             b"\x0b" + bytes((i * 37) & 0xFF for i in range(110)))
    write("app_parsers", "nokia_count", seed(0x80 | 0x40 | 6, b"", nokia, prefill=0))
    write("app_parsers", "sagem_count", seed(6, b"", b"$MUS$1.0$\nTitre:x\nData:3-385-100\n'E$ ", prefill=0))


# ---------------------------------------------------------------------------------------
class Bits:
    """Packs fields most significant bit first, as smart-messaging ringtones are laid out."""

    def __init__(self):
        self.bits = []

    def put(self, value, n):
        self.bits += [(value >> (n - 1 - i)) & 1 for i in range(n)]
        return self

    def align(self):
        while len(self.bits) % 8:
            self.bits.append(0)
        return self

    def bytes(self):
        self.align()
        return bytes(int("".join(map(str, self.bits[i:i + 8])), 2)
                     for i in range(0, len(self.bits), 8))


def ringtone(title, patterns, unicode=False):
    """patterns: (id, loop, [instructions]) with instructions ("note", value, dur, modifier),
    ("scale", s), ("style", s), ("tempo", code), ("volume", v)."""
    b = Bits().put(3 if unicode else 2, 8).put(0x25, 7).align()
    if unicode:
        b.put(0x22, 7).align()
    b.put(0x1D, 7).put(1, 3).put(len(title), 4)
    for c in title:
        b.put(ord(c), 16 if unicode else 8)
    b.put(len(patterns), 8)
    kinds = {"note": (1, (4, 3, 2)), "scale": (2, (2,)), "style": (3, (2,)),
             "tempo": (4, (5,)), "volume": (5, (4,))}
    for pid, loop, steps in patterns:
        b.put(0, 3).put(pid, 2).put(loop, 4).put(len(steps), 8)
        for step in steps:
            ident, widths = kinds[step[0]]
            b.put(ident, 3)
            for value, width in zip(step[1:], widths):
                b.put(value, width)
    b.align().put(0, 8)
    return b.bytes()


def phone_readers():
    clear("nokia_reader")
    clear("imelody_reader")
    udh = bytes([6, 5, 4, 0x15, 0x81, 0x15, 0x81])
    melody = [("tempo", 15), ("scale", 1), ("style", 1), ("volume", 12)]
    for value, dur in [(5, 3), (4, 3), (5, 3), (4, 3), (5, 3), (12, 3), (3, 3), (1, 3),
                       (10, 2), (0, 3), (1, 3), (5, 3), (10, 3), (12, 2)]:
        melody.append(("note", value, dur, 0))
    melody += [("scale", 2), ("note", 1, 1, 1), ("scale", 0), ("note", 8, 4, 3)]
    ota = ringtone("Elise", [(0, 0, melody)])
    write("nokia_reader", "nokia_binary", ota)
    write("nokia_reader", "nokia_binary_udh", udh + ota)
    write("nokia_reader", "nokia_hex_udh", (udh + ota).hex().upper().encode())
    write("nokia_reader", "nokia_hex_lines",
          b"\r\n".join(ota.hex().encode()[i:i + 32] for i in range(0, 2 * len(ota), 32)))
    write("nokia_reader", "nokia_loops_unicode",
          ringtone("Tö", [(1, 2, [("note", 10, 2, 0), ("tempo", 20)]),
                                     (1, 1, []), (2, 15, [("note", 1, 3, 0)])], unicode=True))
    write("nokia_reader", "nokia_example", bytes.fromhex("024A3A40040002690000"))
    imy = (b"BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nNAME:Tune\r\n"
           b"COMPOSER:Trad.\r\nBEAT:140\r\nSTYLE:S1\r\nVOLUME:V9\r\n"
           b"MELODY:c2#d3.r4*3e1&b2:(*5c3d3@2V+)ledonV12vibeonbackon*4a0;V-ledoffvibeoffbackoff"
           b"\r\nEND:IMELODY\r\n")
    write("imelody_reader", "imelody_12", imy)
    folded = b"MELODY:" + b"c3d3e3f3g3a3b3*5c3" * 6
    lines = folded[:75] + b"\r\n " + folded[75:149] + b"\r\n " + folded[149:]
    write("imelody_reader", "imelody_folded",
          b"BEGIN:IMELODY\r\nVERSION:1.0\r\nFORMAT:CLASS1.0\r\n" + lines +
          b"\r\nEND:IMELODY\r\n")
    write("imelody_reader", "imelody_nested",
          b"begin:imelody\nmelody:((c2@2)(d2e2@3V-)@2)r1\n")


def song_reader():
    """Option byte: bits 0-4 the channel (0 the best), bits 5-7 the target format (0 none,
    1.. the range check's formats in its list order)."""
    import sys
    clear("song_reader")
    sys.path.insert(0, os.path.join(TOP, "scripts"))
    import make_song
    band = make_song.song()
    write("song_reader", "band_best", bytes([0]) + band)
    write("song_reader", "band_sagem", bytes([1 << 5]) + band)
    write("song_reader", "band_alcatel_ch2", bytes([3 << 5 | 2]) + band)
    write("song_reader", "band_drums_motorola", bytes([7 << 5 | 10]) + band)
    write("song_reader", "band_cut", bytes([2 << 5]) + band[:len(band) * 2 // 3])
    # Format 0, running status, note-on velocity 0 as note-off, a repeated note-on,
    # sysex and an unknown chunk before the track.
    track = (b"\x00\xff\x03\x04Tune\x00\xf0\x02\x7e\xf7\x00\xc0\x49"
             b"\x00\x90\x48\x60\x60\x48\x00\x00\x4a\x60\x30\x4a\x60\x30\x4a\x00"
             b"\x30\x4a\x00\x00\x4c\x60\x81\x40\x80\x4c\x00\x00\xff\x2f\x00")
    format0 = (b"MThd" + struct.pack(">IHHH", 6, 0, 1, 96) + b"XFIH" + struct.pack(">I", 2) +
               b"\x00\x00" + b"MTrk" + struct.pack(">I", len(track)) + track)
    write("song_reader", "format0_running_status", bytes([0]) + format0)
    write("song_reader", "format0_nokia", bytes([2 << 5]) + format0)
    # The same tune marked 3/4 and then 6/8: the bars follow the time signature.
    meters = track.replace(b"\x00\xc0\x49", b"\x00\xff\x58\x04\x03\x02\x18\x08"
                           b"\x60\xff\x58\x04\x06\x03\x18\x08\x00\xc0\x49", 1)
    waltz = (b"MThd" + struct.pack(">IHHH", 6, 0, 1, 96) +
             b"MTrk" + struct.pack(">I", len(meters)) + meters)
    write("song_reader", "format0_meters", bytes([0]) + waltz)


def composer_reader():
    # The first byte: bit 0 the delimiter ';' (else ','), bit 1 the header line is read.
    clear("composer_reader")
    write("composer_reader", "tokens", b"\x00" + b"8#f2,4.-,16c1,4e#1")
    write("composer_reader", "header_semicolon",
          b"\x03" + b"Name:A B BPM:100 No.:2\r\n4c1;4.d1;8-;16#g3")
    write("composer_reader", "long_rest", b"\x00" + b"4c1,4d1 4e1 4f1 4g1  ")


def sagemhex_reader():
    clear("sagemhex_reader")
    write("sagemhex_reader", "example", b"01 00 00 78 3C000A")
    write("sagemhex_reader", "groups", b"03000078\r\n3C000A 000010 0100FF")
    write("sagemhex_reader", "not_hex", b"01000078 3G000A")
    write("sagemhex_reader", "data_line", b"$MUS$1.0$\nTitre:x\nData:12-385-120\n")


def flipper_reader():
    clear("flipper_reader")
    head = b"Filetype: Flipper Music Format\nVersion: 0\n"
    write("flipper_reader", "defaults", head + b"BPM: 130\nDuration: 8\nOctave: 5\n"
          b"Notes: C, 4d#6, 16p, e4., 2B_4..,  12G  a, 4P.\n")
    write("flipper_reader", "missing_defaults", b"# tune\r\n" + head.replace(b"\n", b"\r\n")
          + b"Notes: C, 8E,\r\n  G5\r\n")
    write("flipper_reader", "extremes", head + b"Notes: 1C................, 128C, 4B9, 4C16, 200C\n")
    write("flipper_reader", "bad_token", head + b"Notes: 4C#5#\n")


if __name__ == "__main__":
    import sys
    targets = {"read_melody": read_melody, "export_melody": export_melody,
               "modify_melody": modify_melody, "sms_exports": sms_exports,
               "app_parsers": app_parsers, "nokia_reader": phone_readers,
               "imelody_reader": phone_readers, "song_reader": song_reader,
               "flipper_reader": flipper_reader, "composer_reader": composer_reader,
               "sagemhex_reader": sagemhex_reader}
    for name in sys.argv[1:] or targets:
        targets[name]()
