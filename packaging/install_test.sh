#!/usr/bin/env bash
# install_test.sh BUILD SOURCE
# Installs the build into a temporary DESTDIR and checks the result as a user meets it:
# the installed programs run from another directory and load nothing from the build or
# source tree, no file refers to either tree, the desktop entry, metainfo and MIME
# package pass their validators, and the Debian package holds the same tree with its
# dependencies declared.
# Pipelines end in a reader that takes all its input (no grep -q or head at the end), so
# no stage dies of SIGPIPE under pipefail.
set -euo pipefail
build=$(realpath "$1")
src=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
step() { echo "== $*"; }

prefix=/usr/local
stage=$work/stage
root=$stage$prefix
app=$root/lib/pealix
id=org.pealix.Pealix

step "install into DESTDIR=$stage, prefix $prefix"
DESTDIR=$stage cmake --install "$build" --prefix "$prefix" --strip > "$work/install.log"
has_window=0
[ -e "$build/bin/Pealix" ] && has_window=1
expected=(
  lib/pealix/pealix-cli lib/pealix/librvmelody.so lib/pealix/librvsms.so lib/pealix/pealixdevices.so
  lib/pealix/pxen.so lib/pealix/pxde.so lib/pealix/pxfr.so lib/pealix/pxres.so
  lib/pealix/Readmee.txt lib/pealix/Liesmich.txt lib/pealix/Lisezmoi.txt
  lib/pealix/midi.txt lib/pealix/midifr.txt lib/pealix/examples/OdeToJoy.rtx
  bin/pealix-cli
  share/applications/$id.desktop share/metainfo/$id.metainfo.xml
  share/mime/packages/$id.xml share/icons/hicolor/scalable/apps/$id.svg
  share/icons/hicolor/48x48/apps/$id.png share/man/man1/pealix-cli.1.gz
  share/man/man1/pealix.1.gz share/doc/pealix/copyright
)
[ $has_window = 1 ] && expected+=(lib/pealix/Pealix bin/pealix)
for f in "${expected[@]}"; do
  [ -e "$root/$f" ] || fail "$f is not installed"
done
[ "$(readlink "$root/bin/pealix-cli")" = ../lib/pealix/pealix-cli ] ||
  fail "bin/pealix-cli is not a relative link into lib/pealix"

# Every shared object the process maps, as the dynamic loader reports it.
loaded_from_trees() {
  grep -E 'calling init: ' "$1" | grep -F -e "$build" -e "$src" || true
}

step "run the installed pealix-cli from another directory"
mkdir -p "$work/elsewhere" "$work/config" "$work/tmp"
cd "$work/elsewhere"
export XDG_CONFIG_HOME=$work/config TMPDIR=$work/tmp
LD_DEBUG=libs LD_DEBUG_OUTPUT=$work/ld-convert \
  "$root/bin/pealix-cli" convert "$app/examples/OdeToJoy.rtx" ode.mid
"$root/bin/pealix-cli" info ode.mid > info.txt
grep -q "OdeToJoy" info.txt || fail "info does not show the melody's title"
"$root/bin/pealix-cli" convert ode.mid ode.srt > /dev/null
[ "$(head -c 5 ode.srt)" = '$MUS$' ] || fail "the Sagem file lacks its header"
grep -h 'calling init: .*librvmelody.so' "$work"/ld-convert.* | grep -F "$app/" > /dev/null ||
  fail "pealix-cli did not load the installed melody library"
for log in "$work"/ld-convert.*; do
  [ -z "$(loaded_from_trees "$log")" ] || fail "pealix-cli loaded from the build tree: $(loaded_from_trees "$log")"
done

step "sound and serial code only in the plugin, loaded by the commands that need it"
# Neither program links a sound, MIDI or serial library; a conversion maps none of them.
device_libs='lib(fluidsynth|rtmidi|asound|pulse|jack|pipewire|sndfile|SDL2|Qt6SerialPort)'
for prog in "$app/pealix-cli" "$app/Pealix"; do
  [ -e "$prog" ] || continue
  needed=$(readelf -d "$prog" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' ')
  ! grep -qE "$device_libs" <<< "$needed" || fail "$prog links a device library: $needed"
done
! grep -hE "calling init: .*($device_libs|pealixdevices)" "$work"/ld-convert.* > /dev/null ||
  fail "a conversion loaded the sound or serial code"
LD_DEBUG=libs LD_DEBUG_OUTPUT=$work/ld-render \
  "$root/bin/pealix-cli" render "$app/examples/OdeToJoy.rtx" ode.wav --rate 8000 > /dev/null
[ "$(head -c 4 ode.wav)" = RIFF ] || fail "render wrote no WAV"
grep -h 'calling init: .*pealixdevices.so' "$work"/ld-render.* | grep -F "$app/" > /dev/null ||
  fail "render did not load the installed plugin"
"$root/bin/pealix-cli" ports > /dev/null || fail "ports failed with the installed plugin"

if [ $has_window = 1 ]; then
  step "start the installed Pealix offscreen with an example"
  # PEALIX_SCREENSHOT makes the window save a picture of itself once shown, then end.
  QT_QPA_PLATFORM=offscreen PEALIX_SCREENSHOT=$work/window.png LD_DEBUG=libs \
    LD_DEBUG_OUTPUT=$work/ld-window timeout 60 "$root/bin/pealix" "$app/examples/OdeToJoy.rtx" \
    > "$work/window.log" 2>&1 || { cat "$work/window.log" >&2; fail "Pealix failed to start"; }
  [ -s "$work/window.png" ] || fail "Pealix showed no window"
  grep -h 'calling init: ' "$work"/ld-window.* | grep -E "$app/px(en|res)\.so" > /dev/null ||
    fail "Pealix did not load a language library from its folder"
  grep -h 'calling init: ' "$work"/ld-window.* | grep -F "$app/librvmelody.so" > /dev/null ||
    fail "Pealix did not load the melody library to open the example"
  for log in "$work"/ld-window.*; do
    [ -z "$(loaded_from_trees "$log")" ] || fail "Pealix loaded from the build tree: $(loaded_from_trees "$log")"
  done
fi
cd "$work"

step "no reference to the build or source tree"
# The only library search path allowed is the program's own folder; an empty entry would
# mean the working directory.
while IFS= read -r -d '' f; do
  [ "$(head -c 4 "$f" | od -An -c | tr -d ' ')" = '177ELF' ] || continue
  paths=$(readelf -d "$f" | sed -n 's/.*(\(RPATH\|RUNPATH\)).*\[\(.*\)\]/\2/p')
  [ -z "$paths" ] || [ "$paths" = '$ORIGIN' ] || fail "$f has the search path '$paths'"
done < <(find "$root" "$build/bin" -maxdepth 3 -type f -print0)
refs=$(grep -rlF -e "$build" -e "$src" "$root" || true)
[ -z "$refs" ] || fail "files refer to the build or source tree: $refs"

step "validate the desktop entry and the metainfo"
desktop-file-validate "$root/share/applications/$id.desktop"
# --strict: a warning fails as an error would.
appstreamcli validate --no-net --strict "$root/share/metainfo/$id.metainfo.xml"
for tag in project_license developer_name 'url type="homepage"' screenshots; do
  grep -qF "<$tag" "$root/share/metainfo/$id.metainfo.xml" || fail "the metainfo lacks <$tag>"
done
for shot in $(sed -n 's|.*<image>.*/docs/\([^<]*\)</image>.*|\1|p' "$root/share/metainfo/$id.metainfo.xml"); do
  [ -f "$src/docs/$shot" ] || fail "the metainfo shows docs/$shot, which docs/ lacks"
done
grep -qx 'License: MIT' "$root/share/doc/pealix/copyright" || fail "the copyright file names no MIT licence"
grep -qF 'Permission is hereby granted' "$src/LICENSE" || fail "LICENSE lacks the licence text"

step "compile the MIME package with the system's definitions"
mkdir -p "$work/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$root/share/mime/packages/$id.xml" \
  "$work/mime/packages/"
update-mime-database "$work/mime" 2> /dev/null
for line in '50:audio/x-rtttl:*.rtx' '50:text/richtext:*.rtx' \
            '50:audio/x-sagem-ringtone:*.srt' '50:application/x-subrip:*.srt' \
            '50:text/x-iMelody:*.imy' '50:application/vnd.nokia.ringing-tone:*.ota' \
            '40:application/vnd.nokia.ringing-tone:*.ott' \
            '50:application/vnd.oasis.opendocument.text-template:*.ott'; do
  grep -qxF "$line" "$work/mime/globs2" || fail "globs2 lacks $line"
done
# The Sagem type is found by its header: the magic section names it with "$MUS$".
grep -aA1 -F '[60:audio/x-sagem-ringtone]' "$work/mime/magic" | grep -aF '$MUS$' > /dev/null ||
  fail "the magic file does not know the Sagem header"
grep -qF 'audio/x-rtttl text/plain' "$work/mime/subclasses" || fail "RTTTL is not text"
! grep -qF 'audio/x-sagem-ringtone text/plain' "$work/mime/subclasses" ||
  fail "the Sagem type would take plain-text subtitles"

step "build the Debian package"
arch=$(dpkg --print-architecture)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
cpack --config "$build/CPackConfig.cmake" -B "$work/pkg" > "$work/cpack.log" ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$work/pkg/pealix_${version}_${arch}.deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/pkg")"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb" > "$work/contents"
cat "$work/contents"
for f in ./usr/lib/pealix/pealix-cli ./usr/lib/pealix/librvmelody.so ./usr/lib/pealix/pxres.so \
         ./usr/lib/pealix/pealixdevices.so ./usr/share/doc/pealix/copyright \
         ./usr/lib/pealix/examples/OdeToJoy.rtx "./usr/share/applications/$id.desktop" \
         "./usr/share/mime/packages/$id.xml" ./usr/share/man/man1/pealix-cli.1.gz; do
  grep -qE " $f( |\$)" "$work/contents" || fail "the package lacks $f"
done
grep -qE ' ./usr/bin/pealix-cli -> ../lib/pealix/pealix-cli$' "$work/contents" ||
  fail "the package lacks the pealix-cli link"
grep -qE ' ./usr/share/doc/pealix/changelog.gz( |$)' "$work/contents" ||
  fail "the package lacks its changelog"
# The libraries are not in the linker's cache: no maintainer script calls ldconfig.
dpkg-deb --ctrl-tarfile "$deb" | tar -t > "$work/control-files"
! grep -qE 'postinst|postrm' "$work/control-files" || fail "the package has maintainer scripts"
if command -v lintian > /dev/null; then
  lintian --fail-on error,warning "$deb" > "$work/lintian.log" ||
    { cat "$work/lintian.log" >&2; fail "lintian reports errors or warnings"; }
fi
depends=$(dpkg-deb --field "$deb" Depends)
grep -qw timgm6mb-soundfont <<< "$depends" || fail "Depends lacks the SoundFont: $depends"
# The plugin's libraries reach Depends through dpkg-shlibdeps.
for pkg in libfluidsynth3 libqt6serialport6; do
  grep -qw "$pkg" <<< "$depends" || fail "Depends lacks $pkg, which the plugin needs: $depends"
done
grep -qw qt6-translations-l10n <<< "$(dpkg-deb --field "$deb" Recommends)" ||
  fail "Recommends lacks Qt's translations"
dpkg-deb --extract "$deb" "$work/unpacked"
# Every library a packaged program or library needs comes from a declared dependency.
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
declared=" $(sed -e 's/([^)]*)//g' -e 's/[,|]/ /g' <<< "$depends" | tr -s ' ') "
while IFS= read -r -d '' f; do
  [ "$(head -c 4 "$f" | od -An -c | tr -d ' ')" = '177ELF' ] || continue
  for lib in $(readelf -d "$f" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    [ -e "$(dirname "$f")/$lib" ] && continue  # shipped beside it
    owner=$(dpkg -S "*/$multiarch/$lib" 2> /dev/null | sed -n '1s/:.*//p') || true
    [ -n "$owner" ] || fail "no installed package provides $lib, needed by $f"
    [[ $declared == *" $owner "* ]] || fail "$f needs $lib from $owner, which Depends lacks: $depends"
  done
done < <(find "$work/unpacked" -type f -print0)
"$work/unpacked/usr/bin/pealix-cli" convert "$app/examples/OdeToJoy.rtx" "$work/deb.imy" > /dev/null
grep -q '^BEGIN:IMELODY' "$work/deb.imy" || fail "the packaged pealix-cli does not convert"
echo "install test passed"
