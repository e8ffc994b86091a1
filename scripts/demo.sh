#!/usr/bin/env bash
# Generates every example's animation into out/ (animated GIF, APNG and animated WebP) and the
# small pictures of the README into docs/examples/, with the batch command built in build/.
set -euo pipefail
cd "$(dirname "$0")/.."

cli=build/bin/morvane-cli
mkdir -p out docs/examples
for project in examples/*.mrva; do
    name=$(basename "$project" .mrva)
    "$cli" --quiet --overwrite --set DstFolder=out --set DstFormat=AGIF "$project"
    "$cli" --quiet --overwrite --set DstFolder=out --set DstFormat=APNG "$project"
    "$cli" --quiet --overwrite --set DstFolder=out --set DstFormat=WEBP "$project"
    echo "out/$name.gif"
    echo "out/$name.png"
    echo "out/$name.webp"
    # The README's picture: the same animation fitted into 160 x 120, the project's own
    # options kept.
    flags=$(sed -n 's:.*<Flags>\(.*\)</Flags>.*:\1:p' "$project")
    "$cli" --quiet --overwrite --set DstFolder=docs/examples --set DstFormat=AGIF \
        --set "Flags=${flags:+$flags|}Resize|KeepProportion" --set Width=160 --set Height=120 \
        "$project"
    echo "docs/examples/$name.gif"
done
