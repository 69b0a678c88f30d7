#!/usr/bin/env bash
# norvane-cli usb lock and unlock on real block devices: FAT images attached
# as loop devices with 512- and 4096-byte logical sectors (the tool takes the
# size from the device), and a mounted volume that must be unmounted before
# its sector is written. Needs root and losetup; exits 77 (skipped) with the
# reason where the machine does not allow it.
# $1 is the tool.
set -u
tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || skip "loop devices need root"
for program in losetup mkfs.vfat blockdev; do
  command -v $program >/dev/null || skip "$program is not installed"
done

scratch=$(mktemp -d)
devices=()
cleanup() {
  mountpoint -q "$scratch/mnt" 2>/dev/null && umount "$scratch/mnt"
  for device in "${devices[@]}"; do losetup -d "$device" 2>/dev/null; done
  rm -rf "$scratch"
}
trap cleanup EXIT

LOCKED="Successfully locked, please remove and plug the device again."
LOCK_FAILED="Operation failed. Please make sure the target is not locked and writable."
UNLOCKED="Successfully unlocked."
SELECT_UNLOCKED="Please select an unlocked volumn first."

run() { printf 'loop-pw-1\n' | timeout 60 setsid -w "$tool" usb "$@" --password-stdin 2>&1; }

# attach IMAGE SECTOR-SIZE: sets $device to the loop device it is attached to.
attach() {
  device=$(losetup -f --show --sector-size "$2" "$1" 2>&1) || skip "cannot attach a loop device: $device"
  devices+=("$device")
}
# Forgets the device too: once detached, the number may go to someone else.
detach() {
  losetup -d "$1"
  local kept=() d
  for d in "${devices[@]}"; do [ "$d" = "$1" ] || kept+=("$d"); done
  devices=("${kept[@]}")
}

for sector in 512 4096; do
  img=$scratch/fat$sector.img
  truncate -s 8M "$img"
  mkfs.vfat -S "$sector" -n "LOOP$sector" "$img" >/dev/null || fail "mkfs.vfat -S $sector"
  cp "$img" "$scratch/original.img"
  attach "$img" "$sector"
  [ "$(blockdev --getss "$device")" -eq "$sector" ] || fail "$device does not have $sector-byte sectors"

  out=$(run lock --image "$device"); st=$?
  [ $st -eq 0 ] && [ "$out" = "$LOCKED" ] || fail "lock $device ($sector): $st $out"
  cmp -s -n "$sector" "$device" "$scratch/original.img" && fail "lock left sector 0 of $device as it was"
  cmp -s -i "$sector" "$device" "$scratch/original.img" || fail "lock wrote beyond sector 0 of $device"
  out=$(run lock --image "$device"); st=$?
  [ $st -eq 1 ] && [ "$out" = "$SELECT_UNLOCKED" ] || fail "second lock of $device: $st $out"

  out=$(run unlock --image "$device"); st=$?
  [ $st -eq 0 ] && [ "$out" = "$UNLOCKED" ] || fail "unlock $device ($sector): $st $out"
  cmp -s "$device" "$scratch/original.img" || fail "unlock did not restore $device"

  # The sector went through to the backing file, not just the device's cache.
  run lock --image "$device" >/dev/null || fail "relock $device"
  detach "$device"
  cmp -s -n "$sector" "$img" "$scratch/original.img" && fail "the lock of $device never reached $img"
  cmp -s -i "$sector" "$img" "$scratch/original.img" || fail "the lock of $device changed $img beyond sector 0"
done

# A mounted volume. This kernel may lack FAT, so the volume is ext4, whose
# first 1024 bytes are free, with "FAT" written there to pass the boot-sector
# test.
command -v mkfs.ext4 >/dev/null || skip "mkfs.ext4 is not installed (mounted volume)"
grep -qw ext4 /proc/filesystems || skip "this kernel cannot mount ext4 (mounted volume)"
img=$scratch/mounted.img
truncate -s 8M "$img"
mkfs.ext4 -q "$img" || fail "mkfs.ext4"
printf 'FAT' | dd of="$img" bs=1 seek=64 conv=notrunc status=none
cp "$img" "$scratch/original.img"
attach "$img" 512
mkdir "$scratch/mnt"
mount "$device" "$scratch/mnt" 2>/dev/null || skip "cannot mount $device"

# In use: it cannot be unmounted, so nothing is written.
(cd "$scratch/mnt" && sleep 30) &
holder=$!
sleep 0.5
out=$(run lock --image "$device"); st=$?
kill $holder; wait $holder 2>/dev/null
[ $st -eq 1 ] || fail "lock of a busy mounted volume: $st $out"
[ "$out" = "$device is mounted on $scratch/mnt and could not be unmounted; close what uses it.
$LOCK_FAILED" ] || fail "lock of a busy mounted volume said: $out"
mountpoint -q "$scratch/mnt" || fail "the busy volume was unmounted"
cmp -s -n 512 "$device" "$scratch/original.img" || fail "the busy mounted volume was written"

out=$(run lock --image "$device"); st=$?
[ $st -eq 0 ] && [ "$out" = "Unmounted $scratch/mnt before locking.
$LOCKED" ] || fail "lock of a mounted volume: $st $out"
mountpoint -q "$scratch/mnt" && fail "the volume is still mounted after the lock"
out=$(run unlock --image "$device"); st=$?
[ $st -eq 0 ] && [ "$out" = "$UNLOCKED" ] || fail "unlock of the unmounted volume: $st $out"
cmp -s -n 512 "$device" "$scratch/original.img" || fail "unlock did not restore the first sector"
exit 0
