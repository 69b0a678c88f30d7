#!/usr/bin/env bash
# norvane-cli backup and recover on a real tree, as a new user would run
# them: odd names, a read-only file, an empty file, a file one byte over a
# block, links and FIFOs inside; then the refusals and their messages.
# $1 is the tool.
set -u
. "$(dirname "$0")/cli_test_env.sh"
# Without a controlling terminal every question is answered No.
run() { (cd "$scratch" && timeout 120 setsid -w "$tool" "$@"); }
mode() { stat -c %a "$1"; }

tree="$scratch/my files"
mkdir -p "$tree/sous dossier/ñandú ✓" "$tree/empty folder" "$scratch/images"
printf 'secret' > "$tree/a b.txt"
chmod 0444 "$tree/a b.txt"
head -c 65537 /dev/urandom > "$tree/sous dossier/ñandú ✓/données.bin"
head -c 300000 /dev/urandom > "$tree/sous dossier/big.bin"
: > "$tree/empty"
echo dot > "$tree/.hidden"
echo keep > "$scratch/outside.txt"
ln -s "$scratch/outside.txt" "$tree/link to outside"
mkfifo "$tree/sous dossier/pipe"

# Back up with a relative image name; ".dfi" is added.
out=$(printf 'pw-12345\n' | run backup --image images/first --password-stdin "my files" 2>&1)
rc=$?
[ $rc -eq 0 ] || fail "backup: exit $rc, output: $out"
image="$scratch/images/first.dfi"
[ -f "$image" ] || fail "backup: no image; output: $out"
[ "$(mode "$image")" = 600 ] || fail "backup: image mode $(mode "$image")"
[ "$(LC_ALL=C ls -A "$scratch/images")" = first.dfi ] || fail "backup: left behind: $(ls -A "$scratch/images")"
rm "$tree/link to outside" "$tree/sous dossier/pipe"

# Recover into a folder that does not exist yet: the tree comes back byte for byte.
out=$(printf 'pw-12345\n' | run recover --image images/first.dfi --dest restored --password-stdin 2>&1)
rc=$?
[ $rc -eq 0 ] || fail "recover: exit $rc, output: $out"
diff -r "$tree" "$scratch/restored/my files" || fail "recover: the trees differ"
[ "$(mode "$scratch/restored/my files/a b.txt")" = 400 ] || fail "recover: read-only bit lost"
[ "$(mode "$scratch/restored/my files/empty")" = 600 ] || fail "recover: restored files are not private"
[ "$(cat "$scratch/outside.txt")" = keep ] || fail "recover: the link's target changed"

# A second recovery into the same place reuses the folders and replaces the files.
echo edited > "$scratch/restored/my files/.hidden"
chmod u+w "$scratch/restored/my files/a b.txt"
out=$(printf 'pw-12345\n' | run recover --image "$image" --dest restored --password-stdin 2>&1)
rc=$?
[ $rc -eq 0 ] || fail "recover again: exit $rc, output: $out"
diff -r "$tree" "$scratch/restored/my files" || fail "recover again: the trees differ"

# A wrong password restores nothing and names the image.
out=$(printf 'pw-54321\n' | run recover --image "$image" --dest wrong --password-stdin 2>/dev/null)
rc=$?
[ $rc -eq 1 ] || fail "wrong password: exit $rc"
[ "$out" = "$image: Abnormal operation result" ] || fail "wrong password: output: $out"
[ -z "$(ls -A "$scratch/wrong")" ] || fail "wrong password: something was restored"

# Images that are not there or are not images.
out=$(printf 'pw-12345\n' | run recover --image images/none.dfi --dest x --password-stdin 2>&1)
[ $? -eq 1 ] && [ "$out" = "Please select a valid image file." ] || fail "missing image: $out"
head -c 5000 /dev/urandom > "$scratch/images/noise.dfi"
cp "$image" "$scratch/images/UPPER.DFI"
for bad in images/noise.dfi images/UPPER.DFI images; do
  out=$(printf 'pw-12345\n' | run recover --image "$bad" --dest "bad dest" --password-stdin 2>/dev/null)
  [ $? -eq 1 ] && [ "$out" = "$scratch/$bad: Abnormal operation result" ] || fail "bad image $bad: $out"
done
[ -z "$(ls -A "$scratch/bad dest")" ] || fail "bad image: something was restored"

# A destination whose parent is missing is refused and nothing is created.
out=$(printf 'pw-12345\n' | run recover --image "$image" --dest "no parent/dest" --password-stdin 2>&1)
[ $? -eq 1 ] && [ "$out" = "Please select a valid destination path." ] || fail "missing parent: $out"
[ -e "$scratch/no parent" ] && fail "missing parent: it was created"

# An existing image is kept without --force (no terminal to say yes), replaced with it.
before=$(sha256sum < "$image")
out=$(printf 'pw-12345\n' | run backup --image "$image" --password-stdin "$tree/empty" 2>&1)
[ $? -eq 1 ] || fail "no force: exit status; output: $out"
[ "$(sha256sum < "$image")" = "$before" ] || fail "no force: the image changed"
out=$(printf 'pw-12345\n' | run backup --image "$image" --force --password-stdin "$tree/empty" 2>&1)
[ $? -eq 0 ] || fail "force: $out"
[ "$(sha256sum < "$image")" != "$before" ] || fail "force: the image was not replaced"
[ "$(LC_ALL=C ls -A "$scratch/images")" = "$(printf 'UPPER.DFI\nfirst.dfi\nnoise.dfi')" ] || fail "force: left behind"

# Protected, missing and overlapping paths are told; what can be stored is stored.
out=$(printf 'pw-12345\n' | run backup --image images/second.dfi --password-stdin /usr/bin 2>&1)
[ $? -eq 1 ] || fail "protected: exit status"
[ "$out" = "$(printf 'Cannot add files or folders under system path or Norvane path.\nNothing to back up.')" ] ||
  fail "protected: $out"
[ -e "$scratch/images/second.dfi" ] && fail "protected: an image was written"
out=$(printf 'pw-12345\n' | run backup --image images/third.dfi --password-stdin \
  "my files/sous dossier/big.bin" "my files" "no such file" 2>&1)
[ $? -eq 1 ] || fail "overlap: exit status; output: $out"
echo "$out" | grep -qx "$scratch/no such file: not found, skipped" || fail "overlap: missing path not told: $out"
echo "$out" | grep -q "^$tree: skipped" || fail "overlap: skipped folder not told: $out"
[ -f "$scratch/images/third.dfi" ] || fail "overlap: no image"

# A password the rules refuse writes nothing.
out=$(printf 'short\n' | run backup --image images/fourth.dfi --password-stdin "my files" 2>&1)
[ $? -eq 1 ] && [ "$out" = "Password is too short." ] || fail "short password: $out"
[ -e "$scratch/images/fourth.dfi" ] && fail "short password: an image was written"
exit 0
