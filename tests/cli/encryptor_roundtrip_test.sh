#!/usr/bin/env bash
# norvane-cli encryptor from adding a folder and a file to decrypting them
# again: files become .dfc files and come back byte for byte, wrong and
# malformed passwords are refused, the list shows each item. $1 is the tool.
set -u
. "$(dirname "$0")/cli_test_env.sh"
enc() { timeout 120 "$tool" encryptor "$@"; }
archive=$XDG_DATA_HOME/Norvane/FileArchive.dfd

# A folder with files at three depths, names with spaces and non-ASCII letters.
tree="$scratch/my docs"
mkdir -p "$tree/sub/déjà vu"
printf 'alpha\n' > "$tree/a.txt"
head -c 300000 /dev/urandom > "$tree/sub/b.bin"
: > "$tree/sub/déjà vu/empty"
cp -a "$tree" "$scratch/original"

# add: the folder is listed and every file becomes a .dfc file.
echo 'folder-pw1' | enc add "$tree" --password-stdin >/dev/null 2>&1 || fail "add folder: exit $?"
[ -f "$archive" ] || fail "add: no archive"
[ "$(stat -c %a "$archive")" = 600 ] || fail "archive mode $(stat -c %a "$archive")"
[ "$(find "$tree" -type f | wc -l)" -eq 3 ] || fail "add: file count changed"
[ -z "$(find "$tree" -type f ! -name '*.dfc')" ] || fail "add: plain files left: $(find "$tree" -type f)"
cmp -s "$tree/a.txt.dfc" "$scratch/original/a.txt" && fail "add: a.txt.dfc holds the plain text"

# A relative path to a file; the file item shows Encrypted.
echo 'plain file' > "$scratch/note.txt"
(cd "$scratch" && echo 'file-pw-22' | enc add note.txt --password-stdin >/dev/null 2>&1) || fail "add file"
[ -f "$scratch/note.txt.dfc" ] && [ ! -e "$scratch/note.txt" ] || fail "add file: not encrypted"

# list: id, status, time, path, one line each.
out=$(enc list 2>&1) || fail "list: exit $?"
[ "$(echo "$out" | wc -l)" -eq 2 ] || fail "list: $out"
echo "$out" | grep -Eq "^0  N/A        [0-9]{2}-[0-9]{2}-[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}  $tree\$" ||
  fail "list folder line: $out"
echo "$out" | grep -Eq "^1  Encrypted  .*  $scratch/note.txt\$" || fail "list file line: $out"

# Already monitored (same path, or inside an item) and protected paths are refused.
err=$(echo 'another-pw' | enc add "$tree/sub" --password-stdin 2>&1)
[ $? -eq 1 ] || fail "overlap: exit"
[ "$err" = "Path:\"$tree/sub\" has already been monitored." ] || fail "overlap message: $err"
err=$(echo 'another-pw' | enc add /usr/share --password-stdin 2>&1)
[ $? -eq 1 ] && [ "$err" = "Cannot add folders under system path or Norvane path." ] || fail "protected folder: $err"
err=$(echo 'another-pw' | enc add /etc/hostname --password-stdin 2>&1)
[ $? -eq 1 ] && [ "$err" = "Cannot add the file under system path or Norvane path." ] || fail "protected file: $err"

# Password rules when adding; nothing is added.
mkdir "$scratch/other"
for case in ":Please input password." "abcde:Password is too short." \
            "ääääääääé:Password is too long: at most 16 bytes (16 plain ASCII characters)."; do
  pw=${case%%:*}
  err=$(echo "$pw" | enc add "$scratch/other" --password-stdin 2>&1)
  [ $? -eq 1 ] && [ "$err" = "${case#*:}" ] || fail "password '$pw': $err"
done
[ "$(enc list | wc -l)" -eq 2 ] || fail "a refused add changed the list"

# decrypt: a wrong password is refused and nothing changes.
before=$(cd "$tree" && find . -type f -exec sha256sum {} + | sort)
err=$(echo 'wrong-pw-1' | enc decrypt 0 --password-stdin 2>&1)
[ $? -eq 1 ] && [ "$err" = "Incorrect password." ] || fail "wrong password: $err"
[ "$(cd "$tree" && find . -type f -exec sha256sum {} + | sort)" = "$before" ] || fail "wrong password changed files"

# decrypt by path with the right password: byte for byte as before.
echo 'folder-pw1' | enc decrypt "$tree" --password-stdin >/dev/null 2>&1 || fail "decrypt: exit $?"
diff -r "$tree" "$scratch/original" >/dev/null || fail "decrypt: tree differs"
enc list | grep -q "^0  N/A" || fail "decrypt: folder item gone"

# encrypt again with the stored password, then decrypt the file item.
enc encrypt 0 >/dev/null 2>&1 || fail "encrypt: exit $?"
[ -z "$(find "$tree" -type f ! -name '*.dfc')" ] || fail "encrypt: plain files left"
echo 'file-pw-22' | enc decrypt "$scratch/note.txt" --password-stdin >/dev/null 2>&1 || fail "decrypt file"
[ "$(cat "$scratch/note.txt")" = "plain file" ] && [ ! -e "$scratch/note.txt.dfc" ] || fail "decrypt file: content"
enc list | grep -Eq "^1  Normal " || fail "file item not Normal after decrypt"

# Ctrl-C while a new item is encrypted: the job stops, every file written is
# removed, the originals stay as they were and the item stays listed.
big="$scratch/big"
mkdir "$big"
head -c 30000000 /dev/urandom > "$big/one"
head -c 30000000 /dev/urandom > "$big/two"
sums=$(cd "$big" && sha256sum one two)
echo 'big-pass-1' | timeout 120 "$tool" encryptor add "$big" --password-stdin >/dev/null 2>&1 &
pid=$!
for _ in $(seq 600); do ls "$big" | grep -q '^~norvane-' && break; sleep 0.05; done
kill -INT $pid
wait $pid
rc=$?
[ $rc -eq 1 ] || fail "Ctrl-C: exit $rc"
[ "$(ls "$big")" = "$(printf 'one\ntwo')" ] || fail "Ctrl-C: left $(ls "$big")"
[ "$(cd "$big" && sha256sum one two)" = "$sums" ] || fail "Ctrl-C: originals changed"
enc list | grep -q "  $big\$" || fail "Ctrl-C: item not listed"

# Unknown ids, usage errors.
enc encrypt 7 >/dev/null 2>&1
[ $? -eq 1 ] || fail "unknown id: exit"
enc frobnicate >/dev/null 2>&1
[ $? -eq 2 ] || fail "usage: exit"
exit 0
