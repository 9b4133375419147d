#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-serialport-dev qt6-translations-l10n
  librtmidi-dev libfluidsynth-dev timgm6mb-soundfont
  # audio ringtone files (the device plugin): libsndfile for WAV/FLAC/Ogg/Opus/MP3, FFmpeg's
  # libraries for AAC in MP4, libebur128 for loudness; ffmpeg's ffprobe and ebur128 filter
  # check the files in the tests
  libsndfile1-dev libavformat-dev libavcodec-dev libavutil-dev libswresample-dev libebur128-dev
  ffmpeg
  midicsv
  python3-gammu  # an independent SMS decoder for the SMS library's tests (skipped without it)
  help2man desktop-file-utils appstream shared-mime-info dpkg-dev file
  lintian  # the install test checks the Debian package with it
)
# make fuzz also needs clang and its fuzzer runtime.
[ "${1:-}" = fuzz ] && packages+=(clang libclang-rt-dev python3)
# make bench-batch runs a Python script; make bench times pealix-cli with hyperfine.
[ "${1:-}" = bench ] && packages+=(python3 hyperfine)
# tools/songs/train_score.py fits the melody score with numpy and scikit-learn.
[ "${1:-}" = songs ] && packages+=(python3 python3-numpy python3-sklearn)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
