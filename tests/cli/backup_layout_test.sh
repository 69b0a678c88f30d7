#!/usr/bin/env bash
# An image written by norvane-cli is read back by an independent reader
# (tests/backup/fixtures/dfi_tool.py: Python's zlib and the openssl command),
# which checks every field the image layout fixes and restores the tree.
# $1 is the tool.
set -u
. "$(dirname "$0")/cli_test_env.sh"
reader=$(cd "$(dirname "$0")/../backup/fixtures" && pwd)/dfi_tool.py

tree="$scratch/Docs"
mkdir -p "$tree/sub ü/deeper"
printf 'hello, image\n' > "$tree/a.txt"
: > "$tree/empty.bin"
head -c 65536 /dev/urandom > "$tree/sub ü/exact.bin"
head -c 65537 /dev/urandom > "$tree/sub ü/one over.bin"
yes 'compressible line' | head -c 200000 > "$tree/sub ü/deeper/text.txt"
printf 'ro' > "$tree/readonly.txt"
chmod 0444 "$tree/readonly.txt"
printf 'top ✓' > "$scratch/top ✓.txt"

out=$(printf 'pw-layout1\n' | timeout 120 setsid -w "$tool" backup --image "$scratch/layout.dfi" \
  --password-stdin "$tree" "$scratch/top ✓.txt" 2>&1)
[ $? -eq 0 ] || fail "backup: $out"
mkdir "$scratch/out"
out=$(printf 'pw-layout1\n' | python3 "$reader" extract "$scratch/layout.dfi" "$scratch/out" 2>&1)
[ $? -eq 0 ] || fail "independent reader: $out"
[ "$out" = "3 folders, 7 files" ] || fail "independent reader: $out"
diff -r "$tree" "$scratch/out/Docs" || fail "the trees differ"
cmp "$scratch/top ✓.txt" "$scratch/out/top ✓.txt" || fail "the top-level file differs"
[ "$(stat -c %a "$scratch/out/Docs/readonly.txt")" = 444 ] || fail "read-only bit not stored"
out=$(printf 'pw-layout2\n' | python3 "$reader" extract "$scratch/layout.dfi" "$scratch/out" 2>&1)
[ $? -eq 1 ] && [ "$out" = "malformed image: password" ] || fail "wrong password accepted: $out"
exit 0
