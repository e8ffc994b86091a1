#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks the result as a user's desktop would:
# the programs run from there and find their help pages and messages, the menu entry is valid,
# the file types are recognised, the manual pages read cleanly and the thumbnailer draws every
# installed example and refuses broken drawings within its limits.
#
#   install_test.sh BUILD_DIR
#
# Exit 0 when everything passed, 1 on the first failure, 77 (skipped) when a desktop tool the
# checks need is not installed (scripts/install-deps.sh installs them).
set -euo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/morvane-install-XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
missing=()
need() {
    command -v "$1" >/dev/null 2>&1 || missing+=("$1")
}
for tool in desktop-file-validate update-mime-database xdg-mime gio man; do
    need "$tool"
done
if [ ${#missing[@]} -ne 0 ]; then
    echo "SKIPPED: not installed: ${missing[*]}"
    exit 77
fi

# ---- install ------------------------------------------------------------------------------
stage=$work/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$work/install.log" ||
    fail "cmake --install: $(cat "$work/install.log")"
root=$stage/usr
share=$root/share
for program in morvane morvane-cli morvane-thumbnail; do
    [ -x "$root/bin/$program" ] || fail "bin/$program not installed"
done
for file in applications/morvane.desktop mime/packages/morvane.xml \
    thumbnailers/morvane.thumbnailer icons/hicolor/scalable/apps/morvane.svg \
    morvane/README.md morvane/docs/user-guide.md doc/morvane/copyright doc/morvane/changelog.gz; do
    [ -f "$share/$file" ] || fail "share/$file not installed"
done
ls "$share"/morvane/examples/*.mrva >/dev/null || fail "no examples installed"

# Reads width and height from a PNG's IHDR chunk: "W H".
png_size() {
    [ "$(head -c 4 "$1" | tail -c 3)" = PNG ] || { echo "not-a-png"; return; }
    od -An -tu1 -j16 -N8 "$1" |
        awk '{ printf "%d %d\n", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'
}
for size in 16 22 24 32 48 64 128 256; do
    icon=$share/icons/hicolor/${size}x${size}/apps/morvane.png
    [ "$(png_size "$icon")" = "$size $size" ] || fail "icon $icon is not $size x $size"
done

# ---- the programs run from the staged tree, without a display ------------------------------
run() { env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" XDG_CONFIG_HOME="$work/config" "$@"; }

help=$(run LC_ALL=C "$root/bin/morvane" --help) || fail "morvane --help failed"
grep -q "^Usage: morvane \[FILE\]" <<<"$help" || fail "morvane --help: $help"
grep -qF "Help pages: $share/morvane/docs/user-guide.md" <<<"$help" ||
    fail "morvane --help does not name the installed user guide: $help"
help_ja=$(run LC_ALL=ja_JP.UTF-8 "$root/bin/morvane" --help)
grep -q "^使い方: morvane \[FILE\]" <<<"$help_ja" || fail "morvane --help in Japanese: $help_ja"
[ "$(run "$root/bin/morvane" --version)" = "morvane $(run "$root/bin/morvane-cli" --version |
    cut -d' ' -f2)" ] || fail "morvane --version"

run LC_ALL=C "$root/bin/morvane-cli" --help | grep -q "^Usage: morvane-cli" ||
    fail "morvane-cli --help"
run LC_ALL=ja_JP.UTF-8 "$root/bin/morvane-cli" --help | grep -q "^使い方: morvane-cli" ||
    fail "morvane-cli --help in Japanese"
# Messages of the string table, in both languages.
status=0
run LC_ALL=C "$root/bin/morvane-cli" "$work/none.mrva" 2>"$work/err.txt" || status=$?
[ $status -eq 1 ] && grep -q "none.mrva" "$work/err.txt" || fail "missing project: $status $(cat "$work/err.txt")"
status=0
run LC_ALL=ja_JP.UTF-8 "$root/bin/morvane-thumbnail" -s 0 a b 2>"$work/err.txt" || status=$?
[ $status -eq 2 ] && grep -q "整数を指定してください" "$work/err.txt" ||
    fail "thumbnailer usage error in Japanese: $status $(cat "$work/err.txt")"

# An installed example generates in a folder of its own.
cp -r "$share/morvane/examples" "$work/examples"
mkdir "$work/examples/out"
(cd "$work/examples" && run LC_ALL=C "$root/bin/morvane-cli" --quiet --set DstFolder=out \
    --set DstFormat=APNG --set Flags='Resize|KeepProportion|BkColor' --set Width=64 \
    --set Height=48 --set InterFrameCount=2 morph.mrva) || fail "morvane-cli on morph.mrva"
[ "$(png_size "$work/examples/out/morph.png")" = "64 48" ] || fail "morph.png is not 64 x 48"

# ---- manual pages ---------------------------------------------------------------------------
for page in morvane morvane-cli morvane-thumbnail; do
    file=$share/man/man1/$page.1.gz
    [ -f "$file" ] || fail "$page.1.gz not installed"
    warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $page: $warnings"
done
man -l "$share/man/man1/morvane-cli.1.gz" 2>/dev/null | grep -q "InterFrameCount" ||
    fail "morvane-cli.1 lacks the project fields"

# ---- menu entry and file types --------------------------------------------------------------
desktop-file-validate "$share/applications/morvane.desktop" || fail "desktop-file-validate"
update-mime-database "$share/mime" || fail "update-mime-database"
cp "$work/examples/morph.mrva" "$work/project-without-extension"
cp "$work/examples/morph_start.strk" "$work/drawing-without-extension"
filetype() {
    XDG_CURRENT_DESKTOP=GNOME GIO_USE_VFS=local XDG_DATA_HOME="$share" \
        XDG_DATA_DIRS="$share:/usr/share" xdg-mime query filetype "$1"
}
for case in "examples/morph.mrva application/x-morvane-project" \
    "project-without-extension application/x-morvane-project" \
    "examples/morph_start.strk image/x-morvane-stroke" \
    "drawing-without-extension image/x-morvane-stroke"; do
    set -- $case
    type=$(filetype "$work/$1")
    [ "$type" = "$2" ] || fail "$1 is '$type', not $2"
done

# ---- thumbnailer ----------------------------------------------------------------------------
grep -q "^Exec=morvane-thumbnail -s %s %i %o$" "$share/thumbnailers/morvane.thumbnailer" ||
    fail "thumbnailer entry"
count=0
for input in "$work"/examples/*.strk "$work"/examples/*.mrva; do
    out=$work/thumb.png
    rm -f "$out"
    run "$root/bin/morvane-thumbnail" -s 128 "$input" "$out" || fail "thumbnail of $input"
    read -r w h <<<"$(png_size "$out")"
    { [ "$w" = 128 ] && [ "$h" -ge 1 ] && [ "$h" -le 128 ]; } ||
        { [ "$h" = 128 ] && [ "$w" -ge 1 ] && [ "$w" -le 128 ]; } ||
        fail "thumbnail of $input is $w x $h"
    count=$((count + 1))
done
[ $count -ge 8 ] || fail "only $count examples"

# A truncated drawing, and a drawing whose first figure claims four billion children.
head -c 100 "$work/examples/morph_start.strk" >"$work/truncated.strk"
printf 'stroke\001\000\000\001\000\200\000\000\000\000\377\377\377\377' >"$work/bomb.strk"
for input in truncated bomb; do
    mkdir -p "$work/refused"
    start=$(date +%s%N)
    status=0
    run LC_ALL=C "$root/bin/morvane-thumbnail" -s 256 "$work/$input.strk" \
        "$work/refused/$input.png" 2>"$work/err.txt" || status=$?
    elapsed=$((($(date +%s%N) - start) / 1000000))
    [ $status -eq 1 ] || fail "$input: status $status"
    grep -q "^morvane-thumbnail: " "$work/err.txt" || fail "$input: no message"
    [ $elapsed -lt 2000 ] || fail "$input: took $elapsed ms"
    [ -z "$(ls -A "$work/refused")" ] || fail "$input: left $(ls -A "$work/refused")"
done

echo "install, help, messages, menu entry, file types, manual pages and thumbnails: OK"
