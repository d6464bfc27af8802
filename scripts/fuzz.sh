#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) and
# runs each for the given number of seconds, one per core at a time, starting from its seed
# corpus in fuzz/corpus/<name>.
# Usage: scripts/fuzz.sh [seconds-per-target] [target...]
source "$(dirname "$0")/common.sh"

SECONDS_PER_TARGET=${1:-30}
shift || true

ensure_packages "${BUILD_PACKAGES[@]}"
ensure_fuzz_toolchain
configure_and_build build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DKESTRUNE_FUZZ=ON -DKESTRUNE_TESTS=OFF -DKESTRUNE_WERROR=ON

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets < <(cd "$ROOT/fuzz" && ls fuzz_*.cpp | sed 's/\.cpp$//')
fi

work="$ROOT/build/fuzz/corpus-work"

# The datagram readers take inputs as long as the largest datagram (64 kB); the others keep
# libFuzzer's default.
longest_input() {  # TARGET
    case $1 in
    fuzz_server_status | fuzz_datagram | fuzz_master_answer | fuzz_info_answer) echo "-max_len=65536" ;;
    esac
}

# fuzz_one TARGET: runs one target from a fresh copy of its seed corpus; fails on a finding.
fuzz_one() {
    local target=$1
    rm -rf "${work:?}/$target"
    mkdir -p "$work/$target"
    cp -r "$ROOT/fuzz/corpus/$target/." "$work/$target/" 2>/dev/null || true
    # shellcheck disable=SC2046 # one option or none
    if "$ROOT/build/fuzz/fuzz/$target" -max_total_time="$SECONDS_PER_TARGET" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/$target-" \
        $(longest_input "$target") "$work/$target" >"$work/$target.log" 2>&1; then
        local runs
        runs=$(grep -m1 'stat::number_of_executed_units' "$work/$target.log" | awk '{print $2}')
        say "$target: no finding in ${SECONDS_PER_TARGET}s (${runs:-?} runs)"
    else
        tail -n 40 "$work/$target.log"
        say "$target: FOUND A FAULT (log: $work/$target.log)"
        return 1
    fi
}

# One target per core at a time: each fuzzes on a single thread.
say "fuzzing ${#targets[@]} targets for ${SECONDS_PER_TARGET}s each, $(nproc) at a time"
status=0
running=0
for target in "${targets[@]}"; do
    if [ "$running" -ge "$(nproc)" ]; then
        wait -n || status=1
        running=$((running - 1))
    fi
    fuzz_one "$target" &
    running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
    wait -n || status=1
    running=$((running - 1))
done
exit $status
