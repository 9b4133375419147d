#!/usr/bin/python3
"""Fits the melody score's weights on labelled songs and writes the C++ weight table.

usage: train_score.py DIR [--tool build/bin/pealix-songs-eval]
                          [--out app/songs/scoreweights.inc] [--folds 5]

DIR holds one folder a song (NNN/NNN.mid with a track named MELODY, as the development
songs have). Every other song gains a bass line made of its accompaniment's lowest notes
(these songs are melody, a second melody and piano; General MIDI songs have basses).
Every song is read with its names left out (tracks renamed, channels and
track order shuffled), so the weights learn from the notes alone. A regularised logistic
regression over the channel features (pealix-songs-eval features) says how likely a
channel is the melody; the song's melody is its likeliest channel. The cross-validated
share of songs whose melody is chosen right (folds by song) is printed for each
regularisation strength tried; the best is fitted on all songs and written.

The names and programs of tracks do not vary in such songs, so their weights are set here
by hand, small enough that they never outweigh what the notes say: a melody word in a
track name adds 1.0 to the log-odds, a program family at most 0.6 (synth leads), -1.0
for basses.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile

import numpy as np
from sklearn.linear_model import LogisticRegression
from sklearn.model_selection import GroupKFold

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import songmidi  # noqa: E402

FIXED = {"name": 1.0, "program": 1.0}


def load(root, tool):
    rows, labels, groups, names = [], [], [], None
    with tempfile.TemporaryDirectory() as tmp:
        files, melody = [], {}
        for n, (name, folder) in enumerate(songmidi.song_dirs(root)):
            data = open(os.path.join(folder, name + ".mid"), "rb").read()
            ch = songmidi.melody_channel(data)
            if ch is None:
                continue
            # Every other song gains a bass line: the songs have none, General MIDI songs do.
            if n % 2 == 0:
                data = songmidi.with_bass(data)
            hidden, cmap = songmidi.shuffled(data, seed=n)
            path = os.path.join(tmp, name + ".mid")
            open(path, "wb").write(hidden)
            files.append(path)
            melody[path] = cmap[ch] + 1
        out = subprocess.run([tool, "features"] + files, check=True, capture_output=True,
                             text=True).stdout
    for line in out.splitlines():
        item = json.loads(line)
        if "features" in item:
            names = item["features"]
            continue
        for ch in item["channels"]:
            rows.append(ch[1:])
            labels.append(1 if ch[0] == melody[item["file"]] else 0)
            groups.append(item["file"])
    return names, np.array(rows), np.array(labels), np.array(groups)


def pick_accuracy(prob, y, groups):
    right = total = 0
    for g in np.unique(groups):
        at = groups == g
        total += 1
        right += int(y[at][np.argmax(prob[at])] == 1)
    return right / max(1, total)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("dir")
    ap.add_argument("--tool", default="build/bin/pealix-songs-eval")
    ap.add_argument("--out", default="app/songs/scoreweights.inc")
    ap.add_argument("--folds", type=int, default=5)
    a = ap.parse_args()
    names, X, y, groups = load(a.dir, a.tool)
    learned = [i for i, n in enumerate(names) if n not in FIXED]
    songs = len(np.unique(groups))
    print(f"{songs} songs, {len(y)} channels, {len(learned)} learned features")

    def fit(Xtr, ytr, c):
        mean = Xtr[:, learned].mean(axis=0)
        scale = Xtr[:, learned].std(axis=0) + 1e-6
        model = LogisticRegression(C=c, max_iter=2000)
        model.fit((Xtr[:, learned] - mean) / scale, ytr)
        return mean, scale, model

    best = None
    for c in (0.01, 0.1, 1.0):
        accs = []
        for tr, te in GroupKFold(n_splits=a.folds).split(X, y, groups):
            mean, scale, model = fit(X[tr], y[tr], c)
            prob = model.predict_proba((X[te][:, learned] - mean) / scale)[:, 1]
            accs.append(pick_accuracy(prob, y[te], groups[te]))
        acc = float(np.mean(accs))
        print(f"C={c}: melody chosen in {100 * acc:.1f} % of held-out songs "
              f"(folds {', '.join(f'{100 * x:.1f}' for x in accs)})")
        # The strongest regularisation within half a point of the best generalises best.
        if best is None or acc > best[1] + 0.005:
            best = (c, acc)
    c = best[0]
    mean, scale, model = fit(X, y, c)
    w = dict(zip([names[i] for i in learned], model.coef_[0]))
    means = dict(zip([names[i] for i in learned], mean))
    scales = dict(zip([names[i] for i in learned], scale))
    fmt = lambda v: f"{v:.6g}"  # noqa: E731
    row = lambda d, fixed: ", ".join(fmt(d[n] if n in d else fixed(n)) for n in names)  # noqa: E731
    text = f"""// The weight table of the melody score: a logistic regression over the channel features
// (Feature order), each standardised by its mean and scale. Written by
// tools/songs/train_score.py from {songs} labelled songs with their names left out
// (C={c}, {a.folds}-fold cross-validated melody choice {100 * best[1]:.1f} %); the name and
// program weights are set by hand. Do not edit; retrain.
#pragma once

namespace songs {{
// {", ".join(names)}
constexpr double kScoreMean[] = {{{row(means, lambda n: 0)}}};
constexpr double kScoreScale[] = {{{row(scales, lambda n: 1)}}};
constexpr double kScoreWeight[] = {{{row(w, lambda n: FIXED[n])}}};
constexpr double kScoreBias = {fmt(model.intercept_[0])};
}}  // namespace songs
"""
    open(a.out, "w").write(text)
    print(f"wrote {a.out} (C={c})")


if __name__ == "__main__":
    main()
