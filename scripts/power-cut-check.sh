#!/usr/bin/env bash
# What a power cut right after "완료" leaves on the disk. Merges two clips with `tessellane --cli` into an
# ext4 image mounted in a private mount namespace, copies the image the moment the result line is
# printed (the copy holds only what the kernel had written to the device by then, as a disk after a power
# cut does), then replays and checks the copy with e2fsck and reads the result out of it. A control file
# written without a flush just before the copy must be missing from it: that shows the copy came before
# the kernel's own writeback. Needs root (a loop device), ffmpeg, e2fsprogs and util-linux.
#
# Usage: scripts/power-cut-check.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
program="$(realpath "${1:-build}")/tessellane"
[ -x "$program" ] || { echo "no $program: build first" >&2; exit 2; }
[ "$(id -u)" = 0 ] || { echo "needs root for the loop device" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for name in A001 A002; do
  timeout 60 ffmpeg -nostdin -v error -f lavfi -i "testsrc2=s=960x540:r=25" -frames:v 75 \
    -c:v prores_ks -profile:v 3 -vendor apl0 -pix_fmt yuv422p10le "$work/$name.mov"
done
truncate -s 512M "$work/disk.img"
mkfs.ext4 -q -F "$work/disk.img"

# Inside the namespace: journal commits every 300 s, so nothing reaches the device unless flushed.
unshare --mount --propagation private bash -euo pipefail -c '
  work=$1 program=$2
  mkdir "$work/mnt"
  device=$(losetup --find --show "$work/disk.img")
  mount -o commit=300 "$device" "$work/mnt"
  "$program" --cli "$work/mnt" _pc "$work/A001.mov" "$work/A002.mov" | tee "$work/report"
  cp "$work/A001.mov" "$work/mnt/control.mov"
  cp --sparse=always "$work/disk.img" "$work/snapshot.img"
  cp "$work/mnt/A_pc.mov" "$work/live.mov"
  umount "$work/mnt"
  losetup --detach "$device"
' power-cut "$work" "$program"

grep -q "^결과: .*완료$" "$work/report" || { echo "FAIL: the merge did not report success"; exit 1; }
set +e
e2fsck -fy "$work/snapshot.img" > "$work/fsck" 2>&1
fsck=$?
set -e
replayed=$(grep -c "recovering journal" "$work/fsck" || true)
echo "e2fsck on the copy: exit $fsck, journal replayed: $([ "$replayed" = 0 ] && echo no || echo yes)," \
  "$(tail -1 "$work/fsck")"
[ "$fsck" -le 1 ] || { cat "$work/fsck"; echo "FAIL: the copy's file system is damaged"; exit 1; }
debugfs -R "dump /A_pc.mov $work/recovered.mov" "$work/snapshot.img" 2>/dev/null
control=$(debugfs -R "stat /control.mov" "$work/snapshot.img" 2>&1 | grep -c "Size: [1-9]" || true)
frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 \
  "$work/recovered.mov" 2>/dev/null || echo 0)
echo "result in the copy: $(stat -c %s "$work/recovered.mov" 2>/dev/null || echo 0) bytes, $frames frames;" \
  "on the live disk: $(stat -c %s "$work/live.mov") bytes"
echo "control file written without a flush, in the copy: $([ "$control" = 0 ] && echo absent || echo present)"
[ "$control" = 0 ] || { echo "INCONCLUSIVE: the copy was taken after writeback"; exit 1; }
cmp -s "$work/recovered.mov" "$work/live.mov" || { echo "FAIL: the result in the copy is not whole"; exit 1; }
echo "PASS: the result survived the power cut whole"
