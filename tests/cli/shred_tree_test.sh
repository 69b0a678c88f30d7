#!/usr/bin/env bash
# norvane-cli shred on real trees: names with spaces and non-ASCII letters,
# relative paths, links and FIFOs inside, a file locked by another program,
# and the exit status of each run. $1 is the tool.
set -u
. "$(dirname "$0")/cli_test_env.sh"

# A tree with odd names, a read-only file, an empty file, a link to a file
# outside the tree and a FIFO; plus a single file, both given relatively.
tree="$scratch/my files"
mkdir -p "$tree/sous dossier/ñandú ✓" "$tree/empty folder"
printf 'secret' > "$tree/a b.txt"
chmod 0444 "$tree/a b.txt"
head -c 200000 /dev/urandom > "$tree/sous dossier/ñandú ✓/données.bin"
: > "$tree/empty"
echo keep > "$scratch/outside.txt"
ln -s "$scratch/outside.txt" "$tree/link to outside"
mkfifo "$tree/sous dossier/pipe"
echo x > "$scratch/seul fichier.txt"

out=$(cd "$scratch" && timeout 120 "$tool" shred --method 1 --yes "my files" "./seul fichier.txt" 2>&1)
rc=$?
[ $rc -eq 0 ] || fail "tree: exit $rc, output: $out"
[ -e "$tree" ] && fail "tree: the folder is still there"
[ -e "$scratch/seul fichier.txt" ] && fail "tree: the single file is still there"
[ "$(cat "$scratch/outside.txt")" = keep ] || fail "tree: the link's target changed"
left=$(cd "$scratch" && ls -A | sort | tr '\n' ' ')
[ "$left" = "home outside.txt " ] || fail "tree: unexpected entries left: $left"

# A file locked by another program is reported and kept with its folder;
# the rest goes, and the run exits 1.
mkdir -p "$scratch/locked tree/inner"
echo "locked data" > "$scratch/locked tree/inner/held.txt"
echo other > "$scratch/locked tree/other.txt"
# This shell holds the lock, as another program would, for the tool's run.
exec 9<"$scratch/locked tree/inner/held.txt"
flock -x 9 || fail "locked: cannot take the lock"
out=$(timeout 120 "$tool" shred --method 3 --yes "$scratch/locked tree" 2>/dev/null 9<&-)
rc=$?
exec 9<&-
[ $rc -eq 1 ] || fail "locked: exit $rc"
[ "$out" = "$scratch/locked tree/inner/held.txt: Abnormal operation result" ] || fail "locked: output: $out"
[ "$(cat "$scratch/locked tree/inner/held.txt")" = "locked data" ] || fail "locked: the file changed"
[ -e "$scratch/locked tree/other.txt" ] && fail "locked: the other file is still there"

# Ctrl-C during a run: the current pass ends, the file stays, exit 1.
big="$scratch/big file"
head -c $((64 << 20)) /dev/zero | tr '\0' 'x' > "$big"
"$tool" shred --yes "$big" >/dev/null 2>"$scratch/abort.err" &
pid=$!
for _ in $(seq 2000); do
  [ "$(head -c 8 "$big")" != "xxxxxxxx" ] && break
  sleep 0.01
done
kill -INT "$pid"
for _ in $(seq 600); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "abort: still running"; }
wait "$pid"
rc=$?
[ $rc -eq 1 ] || fail "abort: exit $rc"
[ "$(stat -c %s "$big")" -eq $((64 << 20)) ] || fail "abort: the file is gone or changed size"
grep -q "^Aborting" "$scratch/abort.err" || fail "abort: no message: $(cat "$scratch/abort.err")"
rm -f "$big"

# The default method (35 passes) on a small file.
echo data > "$scratch/gutmann.txt"
timeout 120 "$tool" shred --yes "$scratch/gutmann.txt" >/dev/null 2>&1 || fail "default method: exit $?"
[ -e "$scratch/gutmann.txt" ] && fail "default method: the file is still there"
exit 0
