#!/usr/bin/env bash
# Takes the README's picture of the main window (docs/screenshots/main-window.png): the desktop
# program built in build/ runs on a virtual X display (Xvfb) with an example project open, and
# once its preview plays, ImageMagick's import captures the window.
set -euo pipefail
cd "$(dirname "$0")/.."

program=$PWD/build/bin/morvane
out=$PWD/docs/screenshots/main-window.png
# The example is opened from a copy in the temporary folder, so that the picture shows the
# path a reader would have after copying the examples, not this checkout's.
examples=${TMPDIR:-/tmp}/morvane-examples
project=$examples/morph.mrva

if [ "${1:-}" != --on-display ]; then
    # The program's settings go to a folder of their own, not to the user's.
    config=$(mktemp -d)
    trap 'rm -rf "$config" "$examples"' EXIT
    rm -rf "$examples"
    cp -r examples "$examples"
    mkdir -p "$(dirname "$out")"
    XDG_CONFIG_HOME="$config" XDG_RUNTIME_DIR="$config" LANG=C.UTF-8 \
        xvfb-run -a -s "-screen 0 1400x860x24" "$0" --on-display
    echo "docs/screenshots/$(basename "$out")"
    exit 0
fi

"$program" "$project" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
window=
for _ in $(seq 1 150); do
    window=$(xwininfo -root -tree | awk -v name="$(basename "$project")" \
        'index($0, name) && $1 ~ /^0x/ { print $1; exit }')
    [ -n "$window" ] && break
    sleep 0.2
done
if [ -z "$window" ]; then
    echo "screenshots: the window of $program did not appear" >&2
    exit 1
fi
# Time for the preview to render its frames and play a few of them.
sleep 4
import -window "$window" "$out"
