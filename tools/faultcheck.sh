#!/bin/sh
# Runs the fault check one fault at a time: ../shared/tools/mutate.py puts
# the original file back with its old modification time, so a later build
# would keep the planted fault; the file is touched after each fault.
# Usage: tools/faultcheck.sh FAULTS.txt [BUILD] [TEST-REGEX]
set -u
faults=$1
build=${2:-build}
tests=${3:-}
tool=${MUTATE:-"$(dirname "$0")/../../shared/tools/mutate.py"}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
python3 - "$faults" "$tmp" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
blocks = re.findall(r"^@@ .*?\n>>>", text, re.S | re.M)
for i, b in enumerate(blocks):
    open(f"{sys.argv[2]}/{i:02d}.txt", "w", encoding="utf-8").write(b + "\n")
PY
status=0
for one in "$tmp"/*.txt; do
  file=$(sed -n '1s/^@@ [^ ]* \([^: ]*\).*/\1/p' "$one")
  if [ -n "$tests" ]; then
    out=$(python3 "$tool" "$one" --build "$build" --tests "$tests")
  else
    out=$(python3 "$tool" "$one" --build "$build")
  fi
  echo "$out" | grep -v '^[0-9]* killed'
  case "$out" in *SURVIVED*|*"does not build"*|*skipped*) status=1 ;; esac
  touch "$file"
done
# The build holds the last planted fault until it is built again.
cmake --build "$build" -j2 >/dev/null 2>&1 || echo "the build after the faults failed"
exit $status
