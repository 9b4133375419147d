#!/usr/bin/env python3
"""Writes a small made-up song as a multi-track MIDI file, for the channel dialog's
picture and for trying `pealix-cli convert SONG.mid OUT.rtx --melody`.

Tracks: a conductor track named in Windows-1252 ("Café Song"), a string pad of held
chords, a bass line, drums on channel 10 and a flute melody (its name "Flöte" also in
Windows-1252) whose notes overlap a little, as a legato part played in does.
usage: make_song.py OUT.mid
"""
import struct
import sys


def vlq(v):
    out = [v & 0x7F]
    v >>= 7
    while v:
        out.append((v & 0x7F) | 0x80)
        v >>= 7
    return bytes(reversed(out))


def track(events, name=None, program=None, channel=0):
    ev = []
    if name is not None:
        ev.append((0, b"\xff\x03" + vlq(len(name)) + name))
    if program is not None:
        ev.append((0, bytes([0xC0 | channel, program])))
    ev += events
    ev.sort(key=lambda e: e[0])
    out, last = b"", 0
    for tick, data in ev:
        out += vlq(tick - last) + data
        last = tick
    out += b"\x00\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(out)) + out


def notes(channel, spans, velocity=100):
    ev = []
    for start, length, key in spans:
        ev.append((start + length, bytes([0x80 | channel, key, 0])))
        ev.append((start, bytes([0x90 | channel, key, velocity])))
    return ev


def song():
    q = 480
    tune = [72, 72, 74, 72, 77, 76, 72, 72, 74, 72, 79, 77,
            72, 72, 84, 81, 77, 76, 74, 82, 82, 81, 77, 79, 77]
    eighths = [1, 1, 2, 2, 2, 4, 1, 1, 2, 2, 2, 4, 1, 1, 2, 2, 2, 2, 4, 1, 1, 2, 2, 2, 4]
    lead, t = [], 0
    for _ in range(4):
        for key, n in zip(tune, eighths):
            lead.append((t, n * q // 2 + 30, key))
            t += n * q // 2
    end = t
    pad = [(b, 4 * q, k) for b in range(0, end, 4 * q) for k in (60, 64, 67)]
    bass = [(b, q - 40, 36 + (b // (4 * q)) % 3 * 5) for b in range(0, end, q)]
    drums = [(b, 60, 42 if b % q else 36) for b in range(0, end, q // 2)]
    tempo = b"\xff\x51\x03" + struct.pack(">I", 600000)[1:]
    tracks = [track([(0, tempo)], "Café Song".encode("cp1252")),
              track(notes(0, pad, 70), b"Strings", 48, 0),
              track(notes(1, bass), b"Bass", 33, 1),
              track(notes(9, drums), b"Drums", 0, 9),
              track(notes(3, lead), "Flöte".encode("cp1252"), 73, 3)]
    return b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), q) + b"".join(tracks)


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as f:
        f.write(song())
