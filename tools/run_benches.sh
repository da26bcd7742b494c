#!/usr/bin/env bash
# Runs every benchmark binary of a bench build and keeps its JSON beside it.
set -euo pipefail
dir=${1:-build-bench}
out=$dir/results
mkdir -p "$out"
status=0
for b in $(find "$dir/bench" -type f -name 'bench_*' -perm -u+x | sort); do
  name=$(basename "$b")
  echo "== $name"
  if ! QT_QPA_PLATFORM=offscreen ALSOFT_DRIVERS=null "$b" --benchmark_format=console \
        --benchmark_out="$out/$name.json" --benchmark_out_format=json; then
    status=1
  fi
done
echo "JSON results: $out/"
exit $status
