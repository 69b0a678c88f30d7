#!/usr/bin/env bash
# norvane-cli shred with input it must refuse or ignore: protected paths,
# missing paths, bad options, and no terminal to confirm on. $1 is the tool.
set -u
. "$(dirname "$0")/cli_test_env.sh"
warning="Cannot add files or folders under system path or Norvane path."

# A protected path is refused with the warning, once, and left as it was;
# an allowed path given with it is still shredded, and the run exits 1.
before=$(sha256sum /usr/bin/env)
echo x > "$scratch/allowed"
err=$(timeout 60 "$tool" shred --method 1 --yes /usr/bin/env /etc "$scratch/allowed" 2>&1 >/dev/null)
rc=$?
[ $rc -eq 1 ] || fail "protected: exit $rc"
[ "$(echo "$err" | grep -c "^$warning\$")" -eq 1 ] || fail "protected: warning not shown once: $err"
[ "$(sha256sum /usr/bin/env)" = "$before" ] || fail "protected: /usr/bin/env changed"
[ -e "$scratch/allowed" ] && fail "protected: the allowed file is still there"

# Only protected paths: nothing to do, exit 1.
timeout 60 "$tool" shred --yes /usr/bin/env >/dev/null 2>&1
rc=$?
[ $rc -eq 1 ] || fail "only protected: exit $rc"

# Missing paths are skipped: with nothing else it exits 1, beside a real file 0.
timeout 60 "$tool" shred --yes "$scratch/missing" >/dev/null 2>&1
rc=$?
[ $rc -eq 1 ] || fail "only missing: exit $rc"
echo x > "$scratch/real"
timeout 60 "$tool" shred --method 2 --yes "$scratch/missing" "$scratch/real" >/dev/null 2>&1
rc=$?
[ $rc -eq 0 ] || fail "missing and real: exit $rc"
[ -e "$scratch/real" ] && fail "missing and real: the file is still there"

# Without --yes and without a terminal the answer is No: nothing happens, exit 0.
echo keep > "$scratch/kept"
setsid -w timeout 60 "$tool" shred --method 1 "$scratch/kept" </dev/null >/dev/null 2>&1
rc=$?
[ $rc -eq 0 ] || fail "declined: exit $rc"
[ "$(cat "$scratch/kept")" = keep ] || fail "declined: the file changed"

# Usage errors exit 2 and touch nothing.
for args in "shred" "shred --method 8 $scratch/kept" "shred --method abc $scratch/kept" \
            "shred --method -1 $scratch/kept" "shred --bogus $scratch/kept" "nosuchcommand"; do
  # shellcheck disable=SC2086
  timeout 60 "$tool" $args --yes >/dev/null 2>&1 </dev/null
  rc=$?
  [ $rc -eq 2 ] || fail "usage '$args': exit $rc"
done
[ "$(cat "$scratch/kept")" = keep ] || fail "usage: the file changed"

# The method list.
[ "$("$tool" methods | wc -l)" -eq 8 ] || fail "methods: not 8 lines"
"$tool" methods | grep -q "^6  Use United States Military Standard (3 passes)$" || fail "methods: text"
exit 0
