#!/usr/bin/env bash
# norvane-cli usb lock and unlock on volume image files, as a new user would
# run them: lock, the refusals (locked twice, wrong password, not locked),
# unlock restoring the image byte for byte, 4096-byte sectors, and the
# messages for missing files, missing permission and usage errors.
# $1 is the tool.
set -u
. "$(dirname "$0")/cli_test_env.sh"
chmod 755 "$scratch"
# No controlling terminal: a password comes only from --password-stdin.
run() { (cd "$scratch" && timeout 60 setsid -w "$tool" "$@" 2>&1); }
with_password() { local pw=$1; shift; printf '%s\n' "$pw" | run "$@"; }

LOCKED="Successfully locked, please remove and plug the device again."
LOCK_FAILED="Operation failed. Please make sure the target is not locked and writable."
UNLOCKED="Successfully unlocked."
UNLOCK_FAILED="Operation failed. Please make sure the target was locked and the password is correct."
SELECT_UNLOCKED="Please select an unlocked volumn first."
SELECT_LOCKED="Please select a locked volumn first."

# A volume image: noise, with a FAT16 boot sector's file-system name and
# signature in its first sector.
make_volume() {
  head -c 65536 /dev/urandom > "$1"
  printf 'FAT16   ' | dd of="$1" bs=1 seek=54 conv=notrunc status=none
  printf '\x55\xaa' | dd of="$1" bs=1 seek=510 conv=notrunc status=none
}

# expect NAME WANTED-STATUS WANTED-OUTPUT STATUS OUTPUT
expect() {
  [ "$4" -eq "$2" ] || fail "$1: status $4, wanted $2: $5"
  [ "$5" = "$3" ] || fail "$1: output '$5', wanted '$3'"
}

img=$scratch/stick.img
make_volume "$img"
cp "$img" "$scratch/original.img"

out=$(with_password secret12 usb lock --image stick.img --password-stdin); st=$?
expect "lock" 0 "$LOCKED" $st "$out"
cmp -s -n 512 "$img" "$scratch/original.img" && fail "lock left the first sector as it was"
cmp -s -i 512 "$img" "$scratch/original.img" || fail "lock wrote beyond the first sector"
if command -v openssl >/dev/null && command -v xxd >/dev/null; then
  # The sector is AES-128-CFB under the zero-padded password and the fixed IV.
  key=$(printf 'secret12' | xxd -p)00000000000000000000000000000000
  iv=$(printf 'HOLLOW_ZN' | xxd -p)00000000000000
  head -c 512 "$scratch/original.img" | openssl enc -aes-128-cfb -nopad -K "${key:0:32}" -iv "$iv" \
    > "$scratch/expected.bin"
  cmp -s -n 512 "$img" "$scratch/expected.bin" || fail "the locked sector is not the expected encipherment"
fi
cp "$img" "$scratch/locked.img"

out=$(with_password secret12 usb lock --image stick.img --password-stdin); st=$?
expect "second lock" 1 "$SELECT_UNLOCKED" $st "$out"
out=$(with_password wrong-pw usb unlock --image stick.img --password-stdin); st=$?
expect "unlock with a wrong password" 1 "$UNLOCK_FAILED" $st "$out"
cmp -s "$img" "$scratch/locked.img" || fail "a refused lock or unlock wrote to the image"

out=$(with_password secret12 usb unlock --image stick.img --password-stdin); st=$?
expect "unlock" 0 "$UNLOCKED" $st "$out"
cmp -s "$img" "$scratch/original.img" || fail "unlock did not restore the image byte for byte"
out=$(with_password secret12 usb unlock --image stick.img --password-stdin); st=$?
expect "unlock of an unlocked image" 1 "$SELECT_LOCKED" $st "$out"

# 4096-byte sectors: the whole first 4096 bytes are enciphered, nothing after.
out=$(with_password 'pässwörd' usb lock --image stick.img --sector-size 4096 --password-stdin); st=$?
expect "lock in 4096-byte sectors" 0 "$LOCKED" $st "$out"
cmp -s -i 512 -n 3584 "$img" "$scratch/original.img" && fail "bytes 512 to 4095 were not enciphered"
cmp -s -i 4096 "$img" "$scratch/original.img" || fail "lock wrote beyond the first 4096 bytes"
out=$(with_password 'pässwörd' usb unlock --image stick.img --password-stdin --sector-size 4096); st=$?
expect "unlock in 4096-byte sectors" 0 "$UNLOCKED" $st "$out"
cmp -s "$img" "$scratch/original.img" || fail "4096-byte unlock did not restore the image"

# Refusals that come before any write.
out=$(with_password 'ééééééééé' usb lock --image stick.img --password-stdin); st=$?
[ $st -eq 1 ] && [[ $out == "Password is too long"* ]] || fail "18-byte password: $st $out"
out=$(run usb lock --image stick.img </dev/null); st=$?
expect "lock without a terminal" 1 "No terminal to ask the password on; use --password-stdin." $st "$out"
cmp -s "$img" "$scratch/original.img" || fail "a refused lock wrote to the image"

out=$(run usb lock --image missing.img); st=$?
expect "missing image" 1 "Cannot open $scratch/missing.img: no such device or file." $st "$out"
out=$(run usb unlock --image "$scratch"); st=$?
expect "folder as image" 1 "Cannot open $scratch: not a block device or image file." $st "$out"
out=$(run usb lock stick.img); st=$?
expect "unlisted volume" 1 "$SELECT_UNLOCKED
stick.img is not a USB volume (see 'norvane-cli usb list'; --image takes any other)." $st "$out"

if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
  chmod 600 "$img"
  out=$(cd "$scratch" && setpriv --reuid=65534 --regid=65534 --clear-groups \
    timeout 60 "$tool" usb unlock --image "$img" 2>&1 </dev/null); st=$?
  expect "no permission" 1 "No permission to open $img: run as root or as a member of the disk group." \
    $st "$out"
fi

for usage in "usb lock" "usb lock a.img --image b.img" "usb lock --sector-size 4096 sdb1" \
  "usb unlock --image stick.img --sector-size 1000" "usb"; do
  # shellcheck disable=SC2086
  run $usage >/dev/null; st=$?
  [ $st -eq 2 ] || fail "'$usage' gave status $st, wanted 2"
done

out=$(run usb list); st=$?
[ $st -eq 0 ] || fail "usb list: $st $out"
exit 0
