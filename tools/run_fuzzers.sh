#!/usr/bin/env bash
# Runs each fuzzer for a bounded time from its seed corpus; any finding fails the run.
set -euo pipefail
dir=${1:-build-fuzz}
seconds=${2:-60}
status=0
# What the system's decoders leak on damaged input is theirs, not a finding.
export LSAN_OPTIONS="suppressions=$(pwd)/tests/audio/wave/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
for f in $(find "$dir/fuzz" -type f -name 'fuzz_*' -perm -u+x | sort); do
  name=$(basename "$f")
  seeds=fuzz/corpus/${name#fuzz_}
  work=$dir/corpus/${name#fuzz_}
  mkdir -p "$work"
  [ -d "$seeds" ] && cp -n "$seeds"/* "$work"/ 2>/dev/null || true
  echo "== $name for ${seconds}s"
  if ! "$f" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$dir/" "$work"; then
    echo "$name: finding (see $dir/crash-* )"
    status=1
  fi
done
exit $status
