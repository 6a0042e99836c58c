#!/bin/sh
# Runs every benchmark and prints the figures side by side.
#   bench/run.sh [build folder]      (default: build)
# Environment: BENCH_TRANSACTIONS (latency runs, 2000), BENCH_SECONDS (throughput, 5),
# BENCH_IDLE_SECONDS (idle, 10).
set -eu
build=${1:-build}
bin="$build/bin"
transactions=${BENCH_TRANSACTIONS:-2000}
seconds=${BENCH_SECONDS:-5}
idle=${BENCH_IDLE_SECONDS:-10}
results=$(mktemp)
trap 'rm -f "$results"' EXIT

"$bin/bench_latency" "$transactions" >>"$results"
"$bin/bench_qt" latency "$transactions" >>"$results"
"$bin/bench_throughput" "$seconds" >>"$results"
"$bin/bench_qt" throughput "$seconds" >>"$results"
"$bin/bench_idle" "$idle" >>"$results"

awk -v transactions="$transactions" -v seconds="$seconds" '
$1 == "latency" { lat[$2] = sprintf("%10.1f %10.1f %12.1f %9d", $3, $4, $5, $6); order[++n] = $2 }
$1 == "throughput" { tp[$2] = sprintf("%12.1f %8.1f %%  %13.3f %8d %9d", $3, $3 / 119.5 * 100, $4, $5, $6); torder[++m] = $2 }
$1 == "idle" { idle = sprintf("%d controls, %.1f s quiet: CPU %.2f ms (%.4f %% of one core), %.1f wake-ups/s, %d failed refreshes", $2, $3, $4, $5, $6, $7) }
$1 == "memory" { memory = sprintf("%d controls added %d KiB resident (%.1f KiB each)", $2, $3, $4) }
END {
  printf "Latency: function 4, two input registers, libmodbus slave on a pty, %d transactions each\n", transactions
  printf "%-10s %10s %10s %12s %9s\n", "master", "median us", "p99 us", "CPU us/tx", "failures"
  for (i = 1; i <= n; i++) printf "%-10s %s\n", order[i], lat[order[i]]
  printf "\nThroughput: back-to-back reads, dlcsim --line-timing 38400 8E1, %s s each (limit 119.5/s)\n", seconds
  printf "%-10s %12s %10s %13s %8s %9s\n", "master", "tx/s", "of limit", "min gap ms", "frames", "failures"
  for (i = 1; i <= m; i++) printf "%-10s %s\n", torder[i], tp[torder[i]]
  printf "(a smallest gap under 1.750 ms means that master skipped the silent interval)\n"
  printf "\nIdle: %s\n", idle
  printf "Memory: %s\n", memory
}' "$results"
"$bin/bench_measure" rounds "$seconds" # the soak: bench_measure soak [ROUNDS], default 50000
"$bin/bench_measure" trend "$seconds" # eight cells, the trend window closed and open
