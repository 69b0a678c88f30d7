# Sourced by each *_test.sh here, whose $1 is the tool: sets `tool` to its
# absolute path, makes a `scratch` folder that is removed on exit (read-only
# folders inside included), points HOME and the data folder into it so no run
# touches the user's own, and defines fail.
tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
export HOME=$scratch/home XDG_DATA_HOME=$scratch/home/data
mkdir -p "$HOME"
fail() { echo "FAIL: $*" >&2; exit 1; }
