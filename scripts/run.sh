#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. Arguments go to it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
if [ -x "$root/build/bin/norvane" ]; then
  exec "$root/build/bin/norvane" "$@"
fi
exec "$root/build/bin/norvane-cli" "${@:---help}"
