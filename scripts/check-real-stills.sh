#!/usr/bin/env bash
# Merges every still image under a folder with itself through the command-line mode and the real ffmpeg,
# and checks what a user relies on:
#   - what ffmpeg cannot decode is refused before ffmpeg starts, with the file named;
#   - the size and format on the "결과:" line are ffprobe's view of the written file;
#   - alpha and more than 8 bits a sample are kept wherever the output's format holds them;
#   - a picture written in a lossless format is pixel-exact to the source, in each half.
# Prints one line per problem and the counts. Exits 1 when any check failed.
# Usage: scripts/check-real-stills.sh CORPUS_DIR [build dir]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
corpus=${1:?usage: $0 CORPUS_DIR [build dir]}
app=${2:-$root/build}/tessellane
[ -x "$app" ] || { echo "missing $app: build first" >&2; exit 1; }
export TESSELLANE_TOOL_PATH=/usr/bin LC_ALL=C.UTF-8
ffmpeg=/usr/bin/ffmpeg ffprobe=/usr/bin/ffprobe
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

declare -A count
bump() { count[$1]=$((${count[$1]:-0} + 1)); }
problem() { bump "$1"; printf '%s\t%s\t%s\n' "$1" "${file#"$corpus"/}" "$2"; }

# Components and deepest bits of a pixel format, from ffmpeg's own table: "4 16" for rgba64be.
declare -A layout
while read -r _ name components _ depths; do
  deepest=$(tr '-' '\n' <<<"$depths" | sort -n | tail -1)
  layout[$name]="$components $deepest"
done < <($ffmpeg -hide_banner -pix_fmts 2>/dev/null | grep -E '^[I.][O.][H.][P.][B.] ')
components() { cut -d' ' -f1 <<<"${layout[$1]:-0 0}"; }
deepest() { cut -d' ' -f2 <<<"${layout[$1]:-0 0}"; }

probe() {  # file -> "width,height,pix_fmt" of the first video stream, as ffprobe decodes it
  timeout 60 $ffprobe -v error -f image2pipe -select_streams v:0 \
    -show_entries stream=width,height,pix_fmt -of csv=p=0 "$1" 2>/dev/null | head -1
}
decodes() {  # ffmpeg alone reads one picture from the file
  [ "$(timeout 60 $ffmpeg -nostdin -v error -f image2pipe -i "$1" -frames:v 1 -f framemd5 - 2>/dev/null |
    grep -vc '^#')" = 1 ]
}
alphaUsed() {  # some decoded pixel is not fully opaque
  [ "$(timeout 60 $ffmpeg -nostdin -v error -f image2pipe -i "$1" -frames:v 1 \
    -vf format=rgba,alphaextract -f rawvideo -pix_fmt gray - 2>/dev/null | tr -d '\377' | head -c 1 | wc -c)" != 0 ]
}

while IFS= read -r -d '' file; do
  bump stills
  extension=$(tr 'A-Z' 'a-z' <<<"${file##*.}")
  out=$work/out
  rm -rf "$out" && mkdir -p "$out"
  report=$(timeout 120 "$app" --cli "$out" _m "$file" "$file" 2>&1)
  status=$?
  if [ $status -ne 0 ]; then
    reason=$(grep -m1 '^오류: ' <<<"$report")
    if grep -q '^명령: ' <<<"$report"; then
      problem "failed after ffmpeg started" "$reason"
    elif [[ $reason == "오류: 결과 "* ]]; then
      bump "refused up front"
      problem "result refused: too big" "${reason#오류: }"
    elif ! grep -qF "$(basename "$file"): " <<<"$reason"; then
      problem "refused without the file named" "$reason"
    elif decodes "$file"; then
      bump "refused up front"
      problem "refused though ffmpeg decodes it" "${reason#*: *: }"
    else
      bump "refused up front"
      bump "refused, and ffmpeg cannot decode it"
    fi
    continue
  fi
  bump merged
  written=$(find "$out" -type f | head -1)
  IFS=, read -r width height format < <(probe "$written")
  IFS=, read -r _ _ sourceFormat < <(probe "$file")
  shown=$(grep -m1 '^결과: ' <<<"$report")
  shown=${shown#결과: }
  shown=${shown% 완료}
  [ "${shown%% *}" = "${width}×${height}" ] || problem "size on the result line" "$shown / ${width}×${height}"
  [ "${shown##* · }" = "$format" ] || problem "result format is not ffprobe's" "${shown##* · } / $format"

  # Alpha and depth where the output holds them; JPEG and lossy WebP hold neither.
  holdsAlpha=0 holdsDepth=0
  case $extension in png | tif | tiff) holdsAlpha=1 holdsDepth=1 ;; bmp | webp) holdsAlpha=1 ;; esac
  sourceComponents=$(components "$sourceFormat")
  sourceAlpha=0
  if [ "$sourceComponents" = 2 ] || [ "$sourceComponents" = 4 ] || [ "$sourceFormat" = pal8 ]; then
    alphaUsed "$file" && sourceAlpha=1
  fi
  outputComponents=$(components "$format")
  if [ $holdsAlpha = 1 ] && [ $sourceAlpha = 1 ] && [ "$outputComponents" != 2 ] && [ "$outputComponents" != 4 ]; then
    problem "alpha lost" "$sourceFormat -> $format"
  fi
  if [ $holdsDepth = 1 ] && [ "$(deepest "$sourceFormat")" -gt 8 ] && [ "$(deepest "$format")" -le 8 ]; then
    problem "depth lost" "$sourceFormat -> $format"
  fi

  # Lossless outputs: the source and each half decoded to the output's format must be identical. A WebP
  # is lossless only after a lossless (VP8L) one, which ffmpeg decodes as argb.
  lossless=0
  case $extension in png | tif | tiff | bmp) lossless=1 ;; webp) [ "$sourceFormat" = argb ] && lossless=1 ;; esac
  if [ $lossless = 1 ]; then
    bump "lossless compared"
    w=$((width / 2))
    # The first picture of each stream: the source, the left half, the right half. libwebp drops the colour
    # under fully transparent pixels, so a WebP is compared with its colour premultiplied by its alpha.
    pre="" compared=$format
    [ "$extension" = webp ] && pre="format=rgba,premultiply=inplace=1," compared=rgba
    hashes=$(timeout 60 $ffmpeg -nostdin -v error -f image2pipe -i "$file" -f image2pipe -i "$written" \
      -filter_complex "[0:v]${pre}null[s];[1:v]${pre}split[a][b];[a]crop=$w:$height:0:0[l];[b]crop=$w:$height:$w:0[r]" \
      -map '[s]' -map '[l]' -map '[r]' -pix_fmt "$compared" -f framemd5 - 2>/dev/null |
      awk -F', *' '!/^#/ && !seen[$1]++ {print $NF}')
    [ "$(wc -l <<<"$hashes")" = 3 ] && hashes=$(sort -u <<<"$hashes" | wc -l) || hashes=0
    if [ "$hashes" = 1 ]; then bump "lossless exact"; else problem "not pixel-exact" "$sourceFormat -> $format"; fi
  fi
done < <(find "$corpus" -type f \( -iname '*.png' -o -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.tif' \
  -o -iname '*.tiff' -o -iname '*.bmp' -o -iname '*.webp' \) -print0 | sort -z)

echo
for key in stills merged "refused up front" "refused, and ffmpeg cannot decode it" \
  "refused though ffmpeg decodes it" "result refused: too big" "failed after ffmpeg started" "refused without the file named" \
  "result format is not ffprobe's" "size on the result line" "alpha lost" "depth lost" \
  "lossless compared" "lossless exact" "not pixel-exact"; do
  printf '%-40s %d\n' "$key" "${count[$key]:-0}"
done
failed=$((${count["failed after ffmpeg started"]:-0} + ${count["refused without the file named"]:-0} +
  ${count["result format is not ffprobe's"]:-0} + ${count["size on the result line"]:-0} +
  ${count["alpha lost"]:-0} + ${count["depth lost"]:-0} + ${count["not pixel-exact"]:-0}))
[ $failed -eq 0 ]
