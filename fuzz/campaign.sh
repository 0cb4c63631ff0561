#!/usr/bin/env bash
# Runs every libFuzzer target of a VELQON_FUZZ build tree for a fixed time, a few at a time,
# each growing a scratch corpus seeded from fuzz/corpus/<name> (the grown corpus stays out of
# the repository). Prints, per target, the executions done and any crash, leak or timeout files.
#
#   fuzz/campaign.sh [build tree=build-fuzz] [seconds=600] [at once=2] [targets...]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tree=${1:-build-fuzz}
seconds=${2:-600}
parallel=${3:-2}
shift $(($# < 3 ? $# : 3))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for program in "$tree"/fuzz/*_fuzz; do
    name=$(basename "$program")
    targets+=("${name%_fuzz}")
  done
fi
scratch=$(mktemp -d /tmp/velqon-fuzz-XXXXXX)
echo "logs, grown corpora and findings under $scratch"

# One target in a directory of its own: with -jobs=1 libFuzzer runs the fuzzing in a child
# process that logs to fuzz-0.log in the working directory.
run() {
  local name=$1 dir=$scratch/$1
  mkdir -p "$dir/corpus" "$dir/findings"
  (cd "$dir" && "$root/$tree/fuzz/${name}_fuzz" -max_total_time="$seconds" -jobs=1 \
    -artifact_prefix="$dir/findings/" corpus "$root/fuzz/corpus/$name" >driver.log 2>&1) || true
}

running=0
for name in "${targets[@]}"; do
  run "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

for name in "${targets[@]}"; do
  dir=$scratch/$name
  runs=$(grep -ho 'Done [0-9]* runs' "$dir"/fuzz-0.log 2>/dev/null | tail -1 || true)
  findings=$(ls "$dir/findings" | tr '\n' ' ')
  printf '%-16s %-22s findings: %s\n' "$name" "${runs:-no summary}" "${findings:-none}"
done
