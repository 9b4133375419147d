#!/usr/bin/python3
"""Fits the hook search's weights on labelled songs and writes the C++ weight table.

usage: train_hook.py DIR [--tool build/bin/pealix-songs-eval]
                         [--out app/songs/hookweights.inc] [--folds 5] [--cache FILE]

DIR holds one folder a song (NNN/NNN.mid, beat_midi.txt, structure.txt, as the
development songs have). Each song is read with its names left out (tracks renamed,
channels and track order shuffled, as songs_eval.py does), and pealix-songs-eval hook
lists the candidate section starts of the chosen melody with their features. A candidate
is right when its first note lies within a bar of a labelled hook start. The labels' bars
are read two ways (on the beat file's downbeats, as the measure does, and as regular bars;
songmidi.hook_times explains), and the model learns from the candidates right both ways,
which a stray bar in either count does not make right by chance. The model is a
conditional logit: within a song, the candidates' scores are a softmax, fitted to put the
probability on the right ones, with an L2 penalty on the weights. The share of held-out
songs whose best candidate is right (folds by song, on the downbeats and on regular bars)
is printed for each penalty tried; the one that generalises best is fitted on all songs
and written.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile

import numpy as np
from sklearn.model_selection import GroupKFold

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import songmidi  # noqa: E402


def load(root, tool, cache=None):
    if cache and os.path.exists(cache):
        return with_labels(json.load(open(cache)), root)
    songs = list(songmidi.song_dirs(root))
    with tempfile.TemporaryDirectory() as tmp:
        files, info = [], {}
        for path, _, folder, _, _ in songmidi.hidden_copies(songs, tmp):
            files.append(path)
            info[path] = folder
        out = subprocess.run([tool, "hook"] + files, check=True, capture_output=True,
                             text=True).stdout
    names, items = None, []
    for line in out.splitlines():
        item = json.loads(line)
        if "features" in item:
            names = item["features"]
            continue
        folder = info[item["file"]]
        cands = [c for c in item["candidates"]]
        items.append({"song": os.path.basename(folder), "x": [c[4:] for c in cands],
                      "bar": [c[0] for c in cands], "t": [c[1] for c in cands],
                      "eligible": [int(c[4 + names.index("returns_loose")] > 0)
                                   for c in cands]})
    data = {"names": names, "songs": items}
    if cache:
        json.dump(data, open(cache, "w"))
    return with_labels(data, root)


def with_labels(data, root):
    """Keeps the labelled songs, each candidate marked right or not on the downbeats (y)
    and on regular bars (y_regular)."""
    songs = []
    for item in data["songs"]:
        folder = os.path.join(root, item["song"])
        if not os.path.exists(os.path.join(folder, "structure.txt")):
            continue
        times, beat = songmidi.hook_times(folder)
        if not times:
            continue
        regular, regular_beat = songmidi.hook_times(folder, regular=True)
        item["y"] = [int(any(abs(t - h) <= 4 * beat for h in times)) for t in item["t"]]
        item["y_regular"] = [int(any(abs(t - h) <= 4 * regular_beat for h in regular))
                             for t in item["t"]]
        songs.append(item)
    return {"names": data["names"], "songs": songs}


class Logit:
    """Softmax over a song's candidates, fitted by gradient descent on the penalised
    log-likelihood of the right candidates."""

    def __init__(self, penalty):
        self.penalty = penalty

    def fit(self, songs):
        X = np.concatenate([s[0] for s in songs])
        self.mean = X.mean(axis=0)
        self.scale = X.std(axis=0) + 1e-6
        kept = [(x, y) for x, y in songs if y.any()]
        Z = (np.concatenate([x for x, _ in kept]) - self.mean) / self.scale
        Y = np.concatenate([y for _, y in kept])
        starts = np.cumsum([0] + [len(y) for _, y in kept[:-1]])
        song = np.repeat(np.arange(len(kept)), [len(y) for _, y in kept])
        w = np.zeros(X.shape[1])
        m = np.zeros_like(w)
        v = np.zeros_like(w)
        for step in range(1, 601):  # Adam
            s = Z @ w
            e = np.exp(s - np.maximum.reduceat(s, starts)[song])
            p = e / np.add.reduceat(e, starts)[song]
            q = p * Y
            q = q / np.add.reduceat(q, starts)[song]
            g = self.penalty * w - (q - p) @ Z / len(kept)
            m = 0.9 * m + 0.1 * g
            v = 0.999 * v + 0.001 * g * g
            w -= 0.05 * (m / (1 - 0.9 ** step)) / (np.sqrt(v / (1 - 0.999 ** step)) + 1e-8)
        self.w = w
        return self

    def scores(self, x):
        return ((x - self.mean) / self.scale) @ self.w


def arrays(data):
    """Per song: the eligible candidates' features, and whether each is right on the
    downbeats, on regular bars, and both ways (what the model learns)."""
    out = []
    for s in data["songs"]:
        x = np.array(s["x"], dtype=float).reshape(-1, len(data["names"]))
        y = np.array(s["y"], dtype=float)
        regular = np.array(s["y_regular"], dtype=float)
        e = np.array(s["eligible"], dtype=bool) if len(y) else np.zeros(0, dtype=bool)
        out.append((x[e], y[e] * regular[e], y[e], regular[e]))
    return out


def learned(songs):
    return [(x, both) for x, both, _, _ in songs]


def hits(model, songs, which=2):
    """How many songs' best candidate is right: which 2 on the downbeats, 3 regular."""
    right = 0
    for song in songs:
        x, y = song[0], song[which]
        if len(y):
            right += int(y[np.argmax(model.scores(x))] == 1)
    return right


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("dir")
    ap.add_argument("--tool", default="build/bin/pealix-songs-eval")
    ap.add_argument("--out", default="app/songs/hookweights.inc")
    ap.add_argument("--folds", type=int, default=5)
    ap.add_argument("--cache", help="keep the tool's candidates in this file")
    ap.add_argument("--penalties", default="0.003,0.01,0.03,0.1")
    a = ap.parse_args()
    data = load(a.dir, a.tool, a.cache)
    names, songs = data["names"], arrays(data)
    n = len(songs)
    reachable = sum(int(s[2].any()) for s in songs)
    print(f"{n} songs, {sum(len(s[2]) for s in songs)} candidates, a right candidate in "
          f"{reachable} ({100 * reachable / n:.1f} %)")
    groups = np.arange(n)
    best = None
    for penalty in sorted((float(p) for p in a.penalties.split(",")), reverse=True):
        right, regular = [], []
        for tr, te in GroupKFold(n_splits=a.folds).split(groups, groups, groups):
            model = Logit(penalty).fit(learned([songs[i] for i in tr]))
            right.append(hits(model, [songs[i] for i in te]) / len(te))
            regular.append(hits(model, [songs[i] for i in te], 3) / len(te))
        acc = float(np.mean(right))
        print(f"penalty {penalty}: hook in {100 * acc:.1f} % of held-out songs "
              f"(folds {', '.join(f'{100 * r:.1f}' for r in right)}); "
              f"{100 * np.mean(regular):.1f} % on regular bars")
        # The strongest penalty within half a point of the best generalises best.
        if best is None or acc > best[1] + 0.005:
            best = (penalty, acc)
    penalty = best[0]
    model = Logit(penalty).fit(learned(songs))
    print(f"all songs: hook in {100 * hits(model, songs) / n:.1f} % (fitted on them)")
    for name, w in sorted(zip(names, model.w), key=lambda t: -abs(t[1])):
        print(f"  {name:20s} {w:+.3f}")
    fmt = lambda v: f"{v:.6g}"  # noqa: E731
    row = lambda values: ", ".join(fmt(v) for v in values)  # noqa: E731
    text = f"""// The weight table of the hook search: a conditional logit over the candidate section
// starts' features (HookFeature order), each standardised by its mean and scale. Written
// by tools/songs/train_hook.py from {n} labelled songs with their names left out
// (penalty {penalty}, {a.folds}-fold cross-validated hook {100 * best[1]:.1f} %). Do not
// edit; retrain.
#pragma once

namespace songs {{
// {", ".join(names)}
constexpr double kHookMean[] = {{{row(model.mean)}}};
constexpr double kHookScale[] = {{{row(model.scale)}}};
constexpr double kHookWeight[] = {{{row(model.w)}}};
constexpr double kHookBias = 0;
}}  // namespace songs
"""
    open(a.out, "w").write(text)
    print(f"wrote {a.out} (penalty {penalty})")


if __name__ == "__main__":
    main()
