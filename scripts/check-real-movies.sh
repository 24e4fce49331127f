#!/usr/bin/env bash
# Checks the probe and the merge vector against ffprobe on a folder of real movie files (.mov, .mp4, .m4v),
# outside the unit suite:
#   scripts/check-real-movies.sh CORPUS_DIR [BUILD_DIR]
# For each file: the record's pixel format, frame rate, colour tags and pixel aspect, and what the vector of
# the file merged with itself asks of ffmpeg, against ffprobe's view of the input; then that vector runs for
# 5 frames (timeout 120 s each) and ffprobe reads the result back: twice the width, the vector's pixel
# format, the input's colour tags, range, pixel aspect and rate, and (where no conversion was asked) the
# left tile's luma range equal to the input's within encoding noise. Prints one line per file that differs
# and the counts. Needs the build's bench/probe_record and ffmpeg/ffprobe on PATH.
set -uo pipefail
corpus=${1:?usage: $0 CORPUS_DIR [BUILD_DIR]}
build=${2:-$(dirname "$0")/../build}
helper=$build/bench/probe_record
[ -x "$helper" ] || { echo "missing $helper (cmake --build $build --target probe_record)" >&2; exit 2; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

declare -A refusals=() differences=()
files=0 probed=0 agreed=0 exactRate=0 snappedRate=0 merged=0 mergeAgreed=0 mergeFailed=0 levelsChecked=0

# ffprobe's view of the first video stream as key=value lines; unknown and N/A as empty, 1:1 as empty.
ffprobe_fields() {
    ffprobe -v error -select_streams v:0 -show_entries \
        stream=codec_name,width,height,pix_fmt,r_frame_rate,avg_frame_rate,color_space,color_primaries,color_transfer,color_range,sample_aspect_ratio \
        -of default=noprint_wrappers=1 "$1" 2>/dev/null | sed -E 's/=(unknown|N\/A|reserved|1:1|0:1)$/=/'
}
field() { sed -n "s/^$1=//p" <<<"$2" | head -1; }
# yuvj420p is yuv420p in the full range.
plain_format() { sed -E 's/^yuvj/yuv/' <<<"$1"; }
rate_value() { awk -F/ '{ if (NF == 2 && $2 != 0) printf "%.9f", $1 / $2; else printf "0" }' <<<"$1"; }
within() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; if (d < 0) d = -d; exit !(b > 0 && d / b <= t) }'; }
luma() {  # "min max" of the first video stream's first frame (the one [0:v] takes), optionally cropped
    local crop=${2:+crop=$2,}
    timeout -k 10 60 ffmpeg -nostdin -v error -i "$1" -map 0:v:0 -frames:v 1 -vf "${crop}signalstats,metadata=print:file=-" \
        -f null - 2>/dev/null | sed -n 's/.*signalstats\.Y\(MIN\|MAX\)=//p' | head -2 | tr '\n' ' '
}
differ() {  # file, what; counted by the what's first word ("merged", "vector": two)
    local kind
    kind=$(awk '{ print ($1 == "merged" || $1 == "vector" || $1 == "merge") ? $1 " " $2 : $1 }' <<<"$2")
    differences[$kind]=$((${differences[$kind]:-0} + 1))
    printf '  %-60.60s %s\n' "$(basename "$1")" "$2"
}

while IFS= read -r -d '' file; do
    files=$((files + 1))
    record=$("$helper" "$file")
    if error=$(field error "$record") && [ -n "$error" ]; then
        seen=$(ffprobe_fields "$file")
        if [ -n "$(field codec_name "$seen")" ]; then kind="$error (ffprobe sees a video stream)"; else kind="$error"; fi
        refusals[$kind]=$((${refusals[$kind]:-0} + 1))
        continue
    fi
    codec=$(field codec "$record")
    if [[ $codec != h264 && $codec != hevc && $codec != prores ]]; then
        refusals["unsupported codec $codec"]=$((${refusals["unsupported codec $codec"]:-0} + 1))
        continue
    fi
    probed=$((probed + 1))
    seen=$(ffprobe_fields "$file")
    ok=1
    # Pixel format: ProRes 4444 decodes to 12 bits where the merge keeps the encoder's 10.
    ours=$(field pix_fmt "$record") theirs=$(plain_format "$(field pix_fmt "$seen")")
    [[ $codec == prores && $theirs == yuv444p12le && $ours == yuv444p10le ]] && theirs=$ours
    [ "$ours" = "$theirs" ] || { differ "$file" "pix_fmt $ours / ffprobe $theirs"; ok=0; }
    range=$(field color_range "$seen")
    [[ $(field pix_fmt "$seen") == yuvj* ]] && range=pc
    for key in color_space color_primaries color_transfer; do
        [ "$(field $key "$record")" = "$(field $key "$seen")" ] ||
            { differ "$file" "$key $(field $key "$record") / ffprobe $(field $key "$seen")"; ok=0; }
    done
    [ "$(field color_range "$record")" = "$range" ] ||
        { differ "$file" "color_range $(field color_range "$record") / ffprobe $range"; ok=0; }
    [ "$(field pixel_aspect "$record")" = "$(field sample_aspect_ratio "$seen")" ] ||
        { differ "$file" "pixel aspect $(field pixel_aspect "$record") / ffprobe $(field sample_aspect_ratio "$seen")"; ok=0; }
    # The rate: ffprobe's guess (r_frame_rate) or its mean (avg_frame_rate) exactly, or within the 1% that
    # snaps a measured rate to a standard one.
    rate=$(field rate "$record") r=$(field r_frame_rate "$seen") avg=$(field avg_frame_rate "$seen")
    if [ "$rate" = "$r" ] || [ "$rate" = "$avg" ]; then
        exactRate=$((exactRate + 1))
    elif within "$(rate_value "$rate")" "$(rate_value "$avg")" 0.01 || within "$(rate_value "$rate")" "$(rate_value "$r")" 0.01; then
        snappedRate=$((snappedRate + 1))
    else
        differ "$file" "rate $rate / ffprobe $r, mean $avg"
        ok=0
    fi
    # The vector passes the record on: its rate and tags (the options' own names for three of them).
    [ "$(field vector_rate "$record")" = "$rate" ] || { differ "$file" "vector rate"; ok=0; }
    for key in color_space color_primaries color_transfer; do
        want=$(field $key "$record")
        [[ $key == color_transfer ]] && want=$(sed -E 's/^bt470m$/gamma22/; s/^bt470bg$/gamma28/' <<<"$want")
        [[ $key == color_space ]] && want=$(sed -E 's/^gbr$/rgb/' <<<"$want")
        [[ $key == color_space && $(field vector_pix_fmt "$record") != gbrp* && $ours == gbrp* ]] && want=bt709
        [ "$(field vector_$key "$record")" = "$want" ] || { differ "$file" "vector $key"; ok=0; }
    done
    [ $ok = 1 ] && agreed=$((agreed + 1))

    # A real merge of the file with itself, 5 frames, read back.
    mapfile -t arguments < <(sed -n 's/^arg=//p' <<<"$record")
    output=$scratch/${arguments[-1]}
    rm -f "$output"
    arguments[-1]=$output
    # The fastest preset: the check is about what is written, not how well it is compressed.
    if ! timeout -k 10 120 ffmpeg "${arguments[@]:0:${#arguments[@]}-1}" -frames:v 5 -preset ultrafast "$output" \
        >/dev/null 2>"$scratch/log" ||
        [ ! -s "$output" ]; then
        mergeFailed=$((mergeFailed + 1))
        differ "$file" "merge failed: $(grep -v '^\s*$' "$scratch/log" | tail -1)"
        continue
    fi
    merged=$((merged + 1))
    result=$(ffprobe_fields "$output")
    size=$(field size "$record")
    good=1
    [ "$(field width "$result")" = $((2 * ${size%x*})) ] || { differ "$file" "merged width $(field width "$result")"; good=0; }
    vectorFormat=$(field vector_pix_fmt "$record")
    [ "$(field pix_fmt "$result")" = "$vectorFormat" ] ||
        { differ "$file" "merged pix_fmt $(field pix_fmt "$result") / $vectorFormat"; good=0; }
    for key in color_space color_primaries color_transfer color_range; do
        want=$(field vector_$key "$record" | sed -E 's/^gamma22$/bt470m/; s/^gamma28$/bt470bg/; s/^rgb$/gbr/')
        [ "$(field $key "$result")" = "$want" ] || { differ "$file" "merged $key $(field $key "$result") / $want"; good=0; }
    done
    [ "$(field sample_aspect_ratio "$result")" = "$(field pixel_aspect "$record")" ] ||
        { differ "$file" "merged pixel aspect $(field sample_aspect_ratio "$result")"; good=0; }
    [ "$(field r_frame_rate "$result")" = "$rate" ] || { differ "$file" "merged rate $(field r_frame_rate "$result") / $rate"; good=0; }
    if [ "$(plain_format "$vectorFormat")" = "$ours" ] && ! grep -q 'scale=' <<<"${arguments[*]}"; then
        read -r inMin inMax <<<"$(luma "$file")"
        read -r outMin outMax <<<"$(luma "$output" "iw/2:ih:0:0")"
        depth=$([[ $ours =~ (1[0-6])le$ ]] && echo "${BASH_REMATCH[1]}" || echo 8)
        noise=$(( (1 << depth) / 32 ))
        [ -n "$inMin" ] && levelsChecked=$((levelsChecked + 1))  # a first frame ffmpeg cannot decode says nothing
        if [ -z "$inMin" ]; then
            :
        elif [ -z "$outMin" ] || (( ${inMin%.*} - ${outMin%.*} > noise || ${outMin%.*} - ${inMin%.*} > noise ||
            ${inMax%.*} - ${outMax%.*} > noise || ${outMax%.*} - ${inMax%.*} > noise )); then
            differ "$file" "merged levels $outMin-$outMax / input $inMin-$inMax"
            good=0
        fi
    fi
    [ $good = 1 ] && mergeAgreed=$((mergeAgreed + 1))
done < <(find "$corpus" -maxdepth 1 -type f \( -iname '*.mov' -o -iname '*.mp4' -o -iname '*.m4v' \) -print0 | sort -z)

echo
echo "files: $files"
echo "probed (H.264, HEVC, ProRes): $probed; record and vector agree with ffprobe: $agreed (rate exactly as ffprobe: $exactRate, snapped within 1%: $snappedRate)"
echo "merged 5 frames with itself: $merged; result agrees: $mergeAgreed (levels checked: $levelsChecked); merge failed: $mergeFailed"
echo "refused up front:"
for kind in "${!refusals[@]}"; do printf '  %4d  %s\n' "${refusals[$kind]}" "$kind"; done | sort -rn
echo "differences:"
for kind in "${!differences[@]}"; do printf '  %4d  %s\n' "${differences[$kind]}" "$kind"; done | sort -rn | head -40
