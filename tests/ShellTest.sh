# Shared start of the shell tests in tests/<folder>/: the source tree, the
# build machine's compiler, a scratch folder removed at exit, and failure
# counting. Sourced, not run.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
cxx=${CXX_HOST:-c++}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# bytes FILE OFFSET COUNT: those bytes as decimal numbers separated by blanks
bytes() { od -An -tu1 -j "$2" -N "$3" "$1" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }

# finish NAME: the summary line and the exit status
finish() {
    [ $failures -eq 0 ] || { echo "$1: $failures failure(s)" >&2; exit 1; }
    echo "$1: ok"
}
