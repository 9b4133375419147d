#!/usr/bin/env bash
# cli-manpage.sh CLI OUTPUT
# Writes the manual page of pealix-cli from the program's own help texts: help2man turns
# 'pealix-cli --help' into the page, and every command that the overview lists gets its
# 'pealix-cli COMMAND --help' text in a COMMANDS section, so the page and the program
# never differ.
set -euo pipefail
cli=$1
out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Commands are the indented words of the overview's "commands:" block.
mapfile -t commands < <("$cli" --help | awk '/^commands:/ {on = 1; next}
                                            on && /^  [a-z]/ {print $1; next}
                                            on && !/^  / {on = 0}')
[ ${#commands[@]} -gt 0 ] || { echo "cli-manpage.sh: $cli lists no commands" >&2; exit 1; }

# Help text as verbatim roff: backslashes escaped, minus signs kept ASCII for copy and
# paste, a line that starts with a dot or an apostrophe guarded so it is not read as a
# request.
roff_verbatim() {
  sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
}

{
  cat <<'ROFF'
[SYNOPSIS]
.B pealix\-cli
.I COMMAND
.RI [ ARGS ...]
.br
.B pealix\-cli
.I COMMAND
.B \-\-help
.br
.B pealix\-cli
.RB [ \-\-help | \-\-version ]
ROFF
  echo "[COMMANDS]"
  for c in "${commands[@]}"; do
    echo ".SS $c"
    echo ".nf"
    "$cli" "$c" --help | roff_verbatim
    echo ".fi"
  done
  cat <<'ROFF'
[EXIT STATUS]
0 when the command succeeded, 1 when it failed (a message on standard error tells why),
2 for wrong usage.
[FILES]
.TP
.I ~/.config/Pealix/Pealix.conf
the settings of the window program; \fBpdu\fR takes its SMS parameters from there
.TP
.I PREFIX/lib/pealix/
the application directory: the programs, the melody and SMS libraries, the language
libraries, read-me files and example melodies
[SEE ALSO]
.BR pealix (1)
ROFF
} > "$work/include.roff"

help2man --no-info \
  --name="convert, inspect and transform phone ringtones" \
  --include="$work/include.roff" \
  --output="$work/page.1" "$cli"
gzip -9n -c "$work/page.1" > "$out"
