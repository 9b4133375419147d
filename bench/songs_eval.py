#!/usr/bin/env python3
"""Measures songs into ringtones on a folder of labelled songs (make songs-eval DIR=...).

Each song is read with its names left out (tracks renamed, channels and track order
shuffled) and prints, over the folder:
  - the share of songs whose melody (the track named MELODY) is the channel chosen;
  - onsets kept: the share of fitted ringtones whose every note, written by a writer and
    read back, starts within half a grid step of where the fitting put it (RTTTL, Nokia,
    Sagem, MIDI, iMelody), each fitted to its own format's limits;
  - the share of ringtones fitted to Nokia (its event limit; a longer melody becomes the
    hook) whose first note lies within a bar of a labelled hook start, and the same with
    the labels' bars counted as regular bars (songmidi.hook_times explains); and how
    near the others come: within two bars, or inside a hook phrase (the ringtone plays
    the hook, though not from its start);
  - events per note of the whole melody line on the ringtone grid.
usage: songs_eval.py DIR [--tool build/bin/pealix-songs-eval] [--list]
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools", "songs"))
import songmidi  # noqa: E402


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("dir")
    ap.add_argument("--tool", default="build/bin/pealix-songs-eval")
    ap.add_argument("--list", action="store_true", help="one line a song")
    a = ap.parse_args()
    songs = list(songmidi.song_dirs(a.dir))
    if not songs:
        sys.exit(f"songs_eval: no NNN/NNN.mid folders in {a.dir}")
    with tempfile.TemporaryDirectory() as tmp:
        files, info = [], {}
        for path, name, folder, data, cmap in songmidi.hidden_copies(songs, tmp):
            files.append(path)
            ch = songmidi.melody_channel(data)
            info[path] = (name, folder, None if ch is None else cmap[ch] + 1)
        out = subprocess.run([a.tool, "fit"] + files, check=True, capture_output=True,
                             text=True).stdout
    results = [json.loads(line) for line in out.splitlines() if line.strip()]
    chosen = labelled = errors = 0
    hooked = {False: [0, 0], True: [0, 0]}  # labels read regular or not: [at the hook, songs]
    near = inside = 0  # on the downbeats: within two bars of a hook start, inside a hook phrase
    events = notes = merged = shortened = 0
    kept = {}
    for r in results:
        name, folder, melody = info[r["file"]]
        if "error" in r:
            errors += 1
            continue
        if melody is not None:
            labelled += 1
            chosen += r["channel"] == melody
        events += r["line_events"]
        notes += r["line_notes"]
        merged += r["line_merged"]
        shortened += r["line_shortened"]
        for writer, (worst, _) in r["writers"].items():
            ok, total = kept.get(writer, (0, 0))
            kept[writer] = (ok + (0 <= worst <= 0.5), total + 1)
        at_hook = None
        if os.path.exists(os.path.join(folder, "structure.txt")):
            for regular in (False, True):
                spans, beat = songmidi.hook_phrases(folder, regular)
                times = [start for start, _ in spans]
                if times:
                    hit = any(abs(r["tone_start_sec"] - t) <= 4 * beat for t in times)
                    hooked[regular][0] += hit
                    hooked[regular][1] += 1
                    if not regular:
                        at_hook = hit
                        start = r["tone_start_sec"]
                        near += any(abs(start - t) <= 8 * beat for t in times)
                        inside += any(a - 4 * beat <= start < b for a, b in spans)
        if a.list:
            print(f"{name}: channel {r['channel']} (melody {melody}), ringtone from "
                  f"{r['tone_start_sec']:.1f} s bars {r['tone_first_bar']}-{r['tone_last_bar']}"
                  f"{' hook' if at_hook else ''}, {r['line_events']} events "
                  f"{r['line_notes']} notes")
    pct = lambda a, b: 100.0 * a / b if b else 0.0  # noqa: E731
    print(f"songs: {len(results)} ({errors} unreadable)")
    print(f"melody chosen, names left out: {pct(chosen, labelled):.1f} % ({chosen}/{labelled})")
    for writer, (ok, total) in kept.items():
        print(f"onsets kept within half a grid step, {writer}: {pct(ok, total):.1f} % of ringtones")
    (hit, total), (hit_regular, total_regular) = hooked[False], hooked[True]
    print(f"ringtones (fitted to Nokia) starting within a bar of the hook: "
          f"{pct(hit, total):.1f} % ({hit}/{total}); its bars counted regular: "
          f"{pct(hit_regular, total_regular):.1f} % ({hit_regular}/{total_regular})")
    print(f"  within two bars of the hook: {pct(near, total):.1f} % ({near}/{total}); "
          f"inside a hook phrase: {pct(inside, total):.1f} % ({inside}/{total})")
    print(f"events per note (whole melody line): {events / max(1, notes):.3f} "
          f"({merged} gaps merged, {shortened} silences shortened)")


if __name__ == "__main__":
    main()
