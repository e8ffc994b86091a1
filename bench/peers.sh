#!/usr/bin/env bash
# Side by side with common image tools: our animated GIF, APNG, animated WebP and PNG sequence
# writers against ImageMagick, ffmpeg, gifsicle, gifski, apngasm and img2webp on the same
# rendered frames, in one run. Every tool starts from the PNG frames on disk, so decoding counts
# for all. Each line gives the time ratio (ours / peer, median wall clock of PEERS_RUNS runs),
# the file-size ratio and, for GIF and lossy WebP, the mean PSNR of the frames a viewer shows
# against the source frames.
#
# Run by `make bench` (after a build with -DMORVANE_BUILD_BENCH=ON). Installs the peers when
# they are missing: Debian packages through apt-get, gifski through npm into build/peers.
# Environment: PEERS_PROJECTS (example names), PEERS_SIZES (WxH ...), PEERS_FRAMES, PEERS_RUNS,
# PEERS_SLOW_RUNS (runs of the peers that take several times our time: ImageMagick, gifsicle
# and gifski; 1 by default, since their median cannot move a ratio that far from its aim).
# apngasm's default (7-zip) mode, aimed at for its size only, runs once per set of frames: its
# file is kept in build/peers/cache under the frames' checksum for later runs.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
work=$build/peers
cli=$build/bin/morvane-cli
encoder=$build/bench/encode_frames
gifski=$work/node_modules/gifski/bin/debian/gifski
gifski_version=1.7.1
log=$work/peers.log
results=$work/results.txt

read -r -a projects <<<"${PEERS_PROJECTS:-morph phased_dots}"
read -r -a sizes <<<"${PEERS_SIZES:-640x480 1280x720}"
frame_count=${PEERS_FRAMES:-100}
runs=${PEERS_RUNS:-3}
slow_runs=${PEERS_SLOW_RUNS:-1}
# Every tool gets the same number of OpenMP threads (ImageMagick and libimagequant use them).
export OMP_NUM_THREADS=${OMP_NUM_THREADS:-2}
export LC_ALL=C

die() {
    echo "peers: $*" >&2
    exit 1
}

for program in "$cli" "$encoder"; do
    [ -x "$program" ] || die "$program is missing: build with -DMORVANE_BUILD_BENCH=ON (make bench)"
done
if ! [[ $frame_count =~ ^[0-9]+$ ]] || [ "$frame_count" -lt 2 ]; then
    die "PEERS_FRAMES must be a number of 2 or more"
fi
if ! [[ $runs =~ ^[0-9]+$ ]] || [ "$runs" -lt 1 ]; then
    die "PEERS_RUNS must be a number of 1 or more"
fi
if ! [[ $slow_runs =~ ^[0-9]+$ ]] || [ "$slow_runs" -lt 1 ]; then
    die "PEERS_SLOW_RUNS must be a number of 1 or more"
fi

# --- the peers ---------------------------------------------------------------------------------

install_peers() {
    local packages=(imagemagick ffmpeg gifsicle apngasm webp) missing=() p
    for p in "${packages[@]}"; do
        if ! dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed'; then
            missing+=("$p")
        fi
    done
    if [ ${#missing[@]} -gt 0 ]; then
        local sudo=
        if [ "$(id -u)" -ne 0 ]; then
            command -v sudo >/dev/null 2>&1 || die "run as root (or install sudo) to install: ${missing[*]}"
            sudo=sudo
        fi
        echo "peers: installing ${missing[*]}"
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "${missing[@]}"
    fi
    if [ ! -x "$gifski" ] || [ "$("$gifski" --version 2>/dev/null)" != "gifski $gifski_version" ]; then
        command -v npm >/dev/null 2>&1 || die "npm is needed to install gifski $gifski_version"
        echo "peers: installing gifski $gifski_version"
        mkdir -p "$work"
        npm install --prefix "$work" --no-audit --no-fund --silent "gifski@$gifski_version"
        [ -x "$gifski" ] || die "the gifski package has no Linux binary at $gifski"
    fi
}

# ImageMagick by its own name: a `convert` earlier in PATH may be something else.
find_imagemagick() {
    local candidate
    for candidate in "$(command -v magick || true)" /usr/bin/convert /usr/bin/convert-im6.q16; do
        if [ -n "$candidate" ] && [ -x "$candidate" ] &&
            "$candidate" -version 2>/dev/null | head -n 1 | grep -q ImageMagick; then
            echo "$candidate"
            return
        fi
    done
    die "ImageMagick not found (looked for magick and /usr/bin/convert)"
}

install_peers
magick=$(find_imagemagick)

# Debian's policy.xml caps ImageMagick at 256 MiB of memory and 1 GiB of disk, below what -limit
# asks for; 100 frames of 1280x720 then thrash the disk cache for minutes and fail. A policy
# file found first on MAGICK_CONFIGURE_PATH raises only those ceilings; the system's other
# policies still apply.
mkdir -p "$work/magick"
cat >"$work/magick/policy.xml" <<'POLICY'
<policymap>
  <policy domain="resource" name="memory" value="2GiB"/>
  <policy domain="resource" name="map" value="4GiB"/>
  <policy domain="resource" name="disk" value="8GiB"/>
  <policy domain="resource" name="area" value="1GP"/>
</policymap>
POLICY
export MAGICK_CONFIGURE_PATH=$PWD/$work/magick

# --- measuring ---------------------------------------------------------------------------------

mkdir -p "$work"
: >"$log"

# Runs a command `runs` times with its output in the log; prints the median wall-clock seconds.
median_seconds() {
    local times=() r start end
    for ((r = 0; r < runs; r++)); do
        start=$(date +%s%N)
        if ! "$@" >>"$log" 2>&1; then
            echo "peers: failed: $*" >>"$log"
            echo "failed"
            return
        fi
        end=$(date +%s%N)
        times+=("$(((end - start) / 1000))")
    done
    printf '%s\n' "${times[@]}" | sort -n | awk -v n="$runs" 'NR == int((n + 1) / 2) { printf "%.3f", $1 / 1e6 }'
}

bytes_of() {
    find "$@" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }'
}

# Mean PSNR of a GIF or WebP animation against the source frames, as encode_frames measures it
# for every tool.
mean_psnr() {
    local gif=$1 line
    if [ ! -s "$gif" ] || ! line=$("$encoder" psnr "$project_file" "$gif" "${sources[@]}" 2>>"$log"); then
        echo "failed"
        return
    fi
    awk '{ print $2 }' <<<"$line"
}

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN {
        if (a == "failed" || b == "failed" || b + 0 == 0) print "-"; else printf "%.2f", a / b }'
}

# Whether a line meets its aim: a list of conditions on time ratio t, size ratio s, and PSNR
# difference d (ours - peer), e.g. "t<=0.5 s<=0.75 d>=2".
verdict() {
    local aims=$1 t=$2 s=$3 d=$4
    [ -n "$aims" ] || { echo "-"; return; }
    awk -v aims="$aims" -v t="$t" -v s="$s" -v d="$d" 'BEGIN {
        n = split(aims, list, " "); missed = ""
        for (i = 1; i <= n; i++) {
            a = list[i]; name = substr(a, 1, 1)
            op = substr(a, 3, 1) == "=" ? substr(a, 2, 2) : substr(a, 2, 1)
            limit = substr(a, 2 + length(op)) + 0
            v = name == "t" ? t : name == "s" ? s : d
            if (v == "-" || v == "") { missed = missed " " a; continue }
            ok = op == "<=" ? v + 0 <= limit : op == ">=" ? v + 0 >= limit : v + 0 < limit
            if (!ok) missed = missed " " a
        }
        print missed == "" ? "met" : "MISSED:" substr(missed, 2) }'
}

format_row() {
    printf '%-12s %-9s %-26s %8s %8s %6s %10s %10s %6s %7s %7s  %s\n' "$@"
}
rows=()

# One table line: case, pair, our and the peer's seconds and bytes, PSNRs, aims.
add_row() {
    local pair=$1 ours_s=$2 peer_s=$3 ours_b=$4 peer_b=$5 ours_q=$6 peer_q=$7 aims=$8
    local t s d
    t=$(ratio "$ours_s" "$peer_s")
    s=$(ratio "$ours_b" "$peer_b")
    d=$(awk -v a="$ours_q" -v b="$peer_q" 'BEGIN { if (a == "-" || b == "-" || a == "failed" || b == "failed") print "-"; else printf "%.2f", a - b }')
    rows+=("$(format_row "$project" "$size" "$pair" "$ours_s" "$peer_s" "$t" \
        "$ours_b" "$peer_b" "$s" "$ours_q" "$peer_q" "$(verdict "$aims" "$t" "$s" "$d")")")
    echo "${rows[-1]}"
}

header=$(format_row case size "ours vs peer" "ours s" "peer s" time "ours B" "peer B" \
    size "PSNR us" "PSNR pr" aim)

echo "peers: ImageMagick $magick, OMP_NUM_THREADS=$OMP_NUM_THREADS, median of $runs runs"
echo "$header"
for project in "${projects[@]}"; do
    project_file=examples/$project.mrva
    [ -f "$project_file" ] || die "no example project $project_file"
    rate=$(sed -n 's:.*<FrameRate>\([0-9]*\)</FrameRate>.*:\1:p' "$project_file")
    if [ -z "$rate" ] || [ "$rate" -lt 1 ]; then
        die "$project_file has no usable FrameRate"
    fi
    delay=$((10000 / rate)) # hundredths of a second, as our writers compute it
    fps=$(awk -v d="$delay" 'BEGIN { print 100 / d }')
    for size in "${sizes[@]}"; do
        [[ $size =~ ^([0-9]+)x([0-9]+)$ ]] || die "size $size is not WxH"
        frames=$work/frames/$project-$size
        out=$work/out/$project-$size
        rm -rf "$frames" "$out"
        mkdir -p "$frames" "$out/ours_seq" "$out/ffmpeg_seq"
        "$cli" --quiet --overwrite --set DstFormat=PNG --set "DstFolder=$frames" --set DstName=f \
            --set Digits=4 --set StartNo=0 --set Flags='Resize|KeepProportion|BkColor' \
            --set "Width=${BASH_REMATCH[1]}" --set "Height=${BASH_REMATCH[2]}" \
            --set "InterFrameCount=$((frame_count - 2))" --set RoundType=None "$project_file" \
            >>"$log" 2>&1 || die "rendering $project at $size failed (see $log)"
        sources=("$frames"/f*.png)
        [ ${#sources[@]} -eq "$frame_count" ] || die "$frames holds ${#sources[@]} frames, not $frame_count"
        # gifski shrinks frames wider than it likes unless told the width.
        width=$(od -An -tu1 -j16 -N4 "${sources[0]}" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }')
        pattern=$frames/f%04d.png

        # Animated GIF.
        ours=$(median_seconds "$encoder" save "$project_file" AGIF "$out" ours "${sources[@]}")
        im=$(runs=$slow_runs median_seconds "$magick" -limit memory 2GiB -limit disk 8GiB -delay "$delay" -loop 0 \
            "${sources[@]}" -layers Optimize "$out/imagemagick.gif")
        gs=$(runs=$slow_runs median_seconds gifsicle -O2 "$out/imagemagick.gif" -o "$out/gifsicle.gif")
        ff=$(median_seconds ffmpeg -nostdin -v error -y -framerate "$rate/100" -i "$pattern" \
            -lavfi 'split[a][b];[a]palettegen=stats_mode=single[p];[b][p]paletteuse=new=1:dither=none' \
            -loop 0 "$out/ffmpeg.gif")
        gk=$(runs=$slow_runs median_seconds "$gifski" --quiet --fps "$fps" --width "$width" -o "$out/gifski.gif" \
            "${sources[@]}")
        # gifski at its best quality: the size it needs to come closest to ours in PSNR.
        gk_best=$(runs=$slow_runs median_seconds "$gifski" --quiet --fps "$fps" --width "$width" --quality 100 \
            -o "$out/gifski_q100.gif" "${sources[@]}")
        # gifsicle starts from ImageMagick's GIF: the pipeline takes both.
        imgs=$(awk -v a="$im" -v b="$gs" 'BEGIN { if (a == "failed" || b == "failed") print "failed"; else printf "%.3f", a + b }')
        q_ours=$(mean_psnr "$out/ours.gif")
        ours_b=$(bytes_of "$out/ours.gif")
        agif_s=$ours
        agif_b=$ours_b
        add_row "AGIF vs ImageMagick" "$ours" "$im" "$ours_b" "$(bytes_of "$out/imagemagick.gif")" \
            "$q_ours" "$(mean_psnr "$out/imagemagick.gif")" "t<1 s<1 d>=10"
        add_row "AGIF vs IM+gifsicle -O2" "$ours" "$imgs" "$ours_b" "$(bytes_of "$out/gifsicle.gif")" \
            "$q_ours" "$(mean_psnr "$out/gifsicle.gif")" ""
        add_row "AGIF vs ffmpeg" "$ours" "$ff" "$ours_b" "$(bytes_of "$out/ffmpeg.gif")" \
            "$q_ours" "$(mean_psnr "$out/ffmpeg.gif")" "t<=0.5 s<=0.85 d>=-0.5"
        add_row "AGIF vs gifski" "$ours" "$gk" "$ours_b" "$(bytes_of "$out/gifski.gif")" \
            "$q_ours" "$(mean_psnr "$out/gifski.gif")" "t<1 s<1 d>=10"
        add_row "AGIF vs gifski -Q 100" "$ours" "$gk_best" "$ours_b" "$(bytes_of "$out/gifski_q100.gif")" \
            "$q_ours" "$(mean_psnr "$out/gifski_q100.gif")" ""

        # APNG: time against apngasm's zlib, size against its default (7zip) compression.
        ours=$(median_seconds "$encoder" save "$project_file" APNG "$out" ours "${sources[@]}")
        ours_b=$(bytes_of "$out/ours.png")
        apng_s=$ours
        apng_b=$ours_b
        z0=$(median_seconds apngasm "$out/apngasm_z0.png" "${sources[@]}" "$delay" 100 -z0)
        # The default 7zip compression takes minutes at 1280x720, and only its size is aimed
        # at: one run for a set of frames, whose file is kept for later runs.
        key=$(cat "${sources[@]}" | sha256sum | cut -c1-32)-$delay
        cached=$work/cache/apngasm-$key.png
        if [ -s "$cached" ]; then
            z1=cached
        else
            z1=$(runs=1 median_seconds apngasm "$out/apngasm.png" "${sources[@]}" "$delay" 100)
            mkdir -p "$work/cache"
            [ "$z1" = failed ] || cp "$out/apngasm.png" "$cached"
        fi
        cp "$cached" "$out/apngasm.png" 2>/dev/null || true
        ff=$(median_seconds ffmpeg -nostdin -v error -y -framerate "$rate/100" -i "$pattern" \
            -plays 0 -f apng "$out/ffmpeg_apng.png")
        add_row "APNG vs apngasm -z0" "$ours" "$z0" "$ours_b" "$(bytes_of "$out/apngasm_z0.png")" \
            - - "t<=0.25"
        add_row "APNG vs apngasm (1 run)" "$ours" "$z1" "$ours_b" "$(bytes_of "$out/apngasm.png")" \
            - - "s<=1"
        add_row "APNG vs ffmpeg" "$ours" "$ff" "$ours_b" "$(bytes_of "$out/ffmpeg_apng.png")" \
            - - "t<=0.5"

        # Animated WebP: both sides are libwebp's encoder at its default effort, lossless and
        # lossy at quality 80; then our lossless file against our APNG and animated GIF.
        ms=$((delay * 10))
        ours=$(median_seconds "$encoder" save "$project_file" WEBP "$out" ours "${sources[@]}")
        ours_b=$(bytes_of "$out/ours.webp")
        iw=$(median_seconds img2webp -loop 0 -lossless -d "$ms" -o "$out/img2webp.webp" \
            "${sources[@]}")
        add_row "WEBP vs img2webp -lossless" "$ours" "$iw" "$ours_b" \
            "$(bytes_of "$out/img2webp.webp")" - - "t<=0.8 s<=1"
        ours_q=$(median_seconds "$encoder" save "$project_file" WEBP:80 "$out" ours_q80 \
            "${sources[@]}")
        iq=$(median_seconds img2webp -loop 0 -lossy -q 80 -d "$ms" -o "$out/img2webp_q80.webp" \
            "${sources[@]}")
        add_row "WEBP q80 vs img2webp -q 80" "$ours_q" "$iq" "$(bytes_of "$out/ours_q80.webp")" \
            "$(bytes_of "$out/img2webp_q80.webp")" "$(mean_psnr "$out/ours_q80.webp")" \
            "$(mean_psnr "$out/img2webp_q80.webp")" "t<=0.8 s<=1"
        add_row "WEBP vs our APNG" "$ours" "$apng_s" "$ours_b" "$apng_b" - - "s<=0.6"
        add_row "WEBP vs our AGIF" "$ours" "$agif_s" "$ours_b" "$agif_b" - - ""

        # PNG sequence.
        ours=$(median_seconds "$encoder" save "$project_file" PNG "$out/ours_seq" s "${sources[@]}")
        ff=$(median_seconds ffmpeg -nostdin -v error -y -framerate "$rate/100" -i "$pattern" \
            -c:v png "$out/ffmpeg_seq/s%04d.png")
        add_row "PNG vs ffmpeg -c:v png" "$ours" "$ff" "$(bytes_of "$out/ours_seq")" \
            "$(bytes_of "$out/ffmpeg_seq")" - - "t<=0.5 s<=1"
    done
done

{
    echo "# Side by side with common image tools ($(date -u '+%Y-%m-%d %H:%M UTC'))"
    echo "# $frame_count frames per case rendered by morvane-cli; median of $runs runs, wall clock"
    echo "# ($slow_runs for ImageMagick, gifsicle and gifski; apngasm's default mode once per set of"
    echo "# frames, \"cached\" when an earlier run made its file);"
    echo "# OMP_NUM_THREADS=$OMP_NUM_THREADS; time and size columns are ours / peer; PSNR in dB,"
    echo "# mean over the source frames of the RGB PSNR of the frame shown (100 = exact)."
    echo "# aim: t = time ratio, s = size ratio, d = our PSNR minus the peer's."
    echo "# ImageMagick: $("$magick" -version | head -n 1)"
    echo "# ffmpeg: $(ffmpeg -version | head -n 1)"
    echo "# gifsicle: $(gifsicle --version | head -n 1)"
    echo "# gifski: $("$gifski" --version)"
    echo "# apngasm: $(apngasm 2>&1 | grep -m 1 'APNG Assembler')"
    echo "# img2webp: $(img2webp -version 2>&1 | grep -m 1 'Encoder version')"
    echo "$header"
    printf '%s\n' "${rows[@]}"
} >"$results"
echo "peers: table written to $results"
if grep -q failed "$results"; then
    die "some tools failed (see $log)"
fi
