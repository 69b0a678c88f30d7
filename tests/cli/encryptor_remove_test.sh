#!/usr/bin/env bash
# norvane-cli encryptor remove with its answers, and the archive guarded
# against the windowed program and against damage. $1 is the tool.
set -u
. "$(dirname "$0")/cli_test_env.sh"
enc() { timeout 120 "$tool" encryptor "$@" </dev/null; }
encpw() { local pw=$1; shift; echo "$pw" | timeout 120 "$tool" encryptor "$@" --password-stdin; }
folder=$XDG_DATA_HOME/Norvane
archive=$folder/FileArchive.dfd

for name in keep decrypt plain; do
  mkdir -p "$scratch/$name/in"
  echo "$name data" > "$scratch/$name/in/f.txt"
  encpw "pw-$name-1" add "$scratch/$name" >/dev/null 2>&1 || fail "add $name"
done
encpw pw-plain-1 decrypt 2 >/dev/null 2>&1 || fail "decrypt plain"

# Without a terminal and without an option, the question gets no answer: nothing is removed.
err=$(echo pw-keep-1 | timeout 60 "$tool" encryptor remove 0 --password-stdin 2>&1)
[ $? -eq 1 ] && [ "$err" = "Nothing was removed." ] || fail "unanswered remove: $err"
[ "$(enc list | wc -l)" -eq 3 ] || fail "unanswered remove changed the list"

# A wrong password removes nothing.
err=$(encpw wrong-pw-1 remove 0 --keep-encrypted 2>&1)
[ $? -eq 1 ] && [ "$err" = "Incorrect password." ] || fail "wrong password: $err"

# --keep-encrypted: the item goes, its .dfc files stay.
encpw pw-keep-1 remove "$scratch/keep" --keep-encrypted >/dev/null 2>&1 || fail "keep-encrypted: exit"
[ -f "$scratch/keep/in/f.txt.dfc" ] && [ ! -e "$scratch/keep/in/f.txt" ] || fail "keep-encrypted: files"
enc list | grep -q "$scratch/keep" && fail "keep-encrypted: still listed"

# --decrypt: the files come back, then the item goes. Ids are given anew, in
# list order, each time the list is loaded.
enc list | grep -q "^0  N/A .*$scratch/decrypt\$" || fail "ids after a remove: $(enc list)"
encpw pw-decrypt-1 remove 0 --decrypt >/dev/null 2>&1 || fail "decrypt remove: exit"
[ "$(cat "$scratch/decrypt/in/f.txt")" = "decrypt data" ] || fail "decrypt remove: content"
[ -e "$scratch/decrypt/in/f.txt.dfc" ] && fail "decrypt remove: .dfc left"

# While the windowed program holds its marker, add and remove refuse and the archive stays.
exec 8>"$folder/FixNorvane"
flock -x 8 || fail "cannot take the marker"
before=$(sha256sum "$archive")
err=$(encpw pw-plain-1 remove 0 2>&1)
[ $? -eq 1 ] && echo "$err" | grep -q "running" || fail "remove while running: $err"
mkdir "$scratch/new"
err=$(encpw pw-new-12 add "$scratch/new" 2>&1)
[ $? -eq 1 ] && echo "$err" | grep -q "running" || fail "add while running: $err"
[ "$(sha256sum "$archive")" = "$before" ] || fail "the archive changed while the program ran"
enc list | grep -q "$scratch/plain" || fail "list while running"
exec 8>&-

# An item without encrypted files is removed without a question.
encpw pw-plain-1 remove "$scratch/plain" >/dev/null 2>&1 || fail "plain remove: exit"
[ -z "$(enc list)" ] || fail "plain remove: list not empty"

# A damaged archive: what can be read is listed, nothing is written over it.
encpw pw-new-12 add "$scratch/new" >/dev/null 2>&1 || fail "add new"
encpw pw-plain-1 add "$scratch/plain" >/dev/null 2>&1 || fail "add plain again"
size=$(stat -c %s "$archive")
truncate -s $((size - 3)) "$archive"
damaged=$(sha256sum "$archive")
out=$(enc list 2>"$scratch/err")
[ $? -eq 1 ] || fail "damaged list: exit 0"
[ "$(echo "$out" | wc -l)" -eq 1 ] && grep -q "is damaged" "$scratch/err" || fail "damaged list: $out $(cat "$scratch/err")"
err=$(encpw pw-new-12 remove 0 --keep-encrypted 2>&1)
[ $? -eq 1 ] || fail "remove on a damaged archive: $err"
[ "$(sha256sum "$archive")" = "$damaged" ] || fail "the damaged archive was overwritten"
exit 0
