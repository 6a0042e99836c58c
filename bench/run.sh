#!/bin/sh
# Runs every benchmark and prints the figures side by side, each beside the physical limit of
# the line it ran on and its peers from the same run.
#   bench/run.sh [build folder]      (default: build)
# Environment: BENCH_TRANSACTIONS (latency runs, 2000), BENCH_SECONDS (each throughput and
# ports run, 5), BENCH_MEASURE_SECONDS (each measurement run, 4), BENCH_IDLE_SECONDS (idle, 10);
# BENCH_KEEP_LOGS=1 keeps each run's ports folder with dlcsim's frame logs in /tmp/tavrin-bench-*.
# A benchmark that fails (exit status not 0) is named with the end of what it wrote to stderr
# after the report; the others still run and are reported, and the script then exits 1.
set -u
build=${1:-build}
bin="$build/bin"
transactions=${BENCH_TRANSACTIONS:-2000}
seconds=${BENCH_SECONDS:-5}
measure=${BENCH_MEASURE_SECONDS:-4}
idle=${BENCH_IDLE_SECONDS:-10}
results=$(mktemp)
errors=$(mktemp)
failures=$(mktemp)
trap 'rm -f "$results" "$errors" "$failures"' EXIT

# bench OUTPUT COMMAND...: runs one benchmark, its figures appended to OUTPUT ("-": printed);
# a failure is noted in $failures with the last lines the benchmark wrote to stderr.
bench() {
    out=$1
    shift
    if [ "$out" = - ]; then
        "$@" 2>"$errors"
    else
        "$@" >>"$out" 2>"$errors"
    fi
    status=$?
    if [ "$status" -ne 0 ]; then
        {
            printf '%s: exit status %d\n' "$*" "$status"
            tail -n 20 "$errors" | sed 's/^/    /'
        } >>"$failures"
    fi
}

loadBefore=$(cut -d' ' -f1-3 /proc/loadavg)
bench "$results" "$bin/bench_latency" "$transactions"
bench "$results" "$bin/bench_qt" latency "$transactions"
bench "$results" "$bin/bench_throughput" "$seconds"
bench "$results" "$bin/bench_qt" throughput "$seconds"
bench "$results" "$bin/bench_ports" "$seconds"
bench "$results" "$bin/bench_measure" rounds "$measure"
bench "$results" "$bin/bench_idle" "$idle"
loadAfter=$(cut -d' ' -f1-3 /proc/loadavg)

awk -v transactions="$transactions" -v seconds="$seconds" -v measure="$measure" \
    -v loadBefore="$loadBefore" -v loadAfter="$loadAfter" '
function pct(a, b) { return b > 0 ? 100 * a / b : 0 }
$1 == "latency" { lat[$2] = $0; order[++n] = $2; median[$2] = $3 }
$1 == "throughput" { tp[++m] = $0 }
$1 == "ports" { ports[++p] = $0; if ($2 == 1) one = $3 }
$1 == "measure" { runs[++r] = $0; rate[$2 " " $3 " " $4] = $5 }
$1 == "idle" { idle = sprintf("%d controls, %.1f s quiet: CPU %.2f ms (%.4f %% of one core), %.1f wake-ups/s, %d failed refreshes", $2, $3, $4, $5, $6, $7) }
$1 == "memory" { memory = sprintf("%d controls added %d KiB resident (%.1f KiB each)", $2, $3, $4) }
END {
  printf "Load average (1, 5, 15 min): %s before, %s after; a loaded machine distorts every figure\n\n", loadBefore, loadAfter
  printf "Latency: function 4, two input registers, libmodbus slave on a pty, %d transactions each\n", transactions
  printf "%-10s %10s %10s %12s %9s\n", "master", "median us", "p99 us", "CPU us/tx", "failures"
  for (i = 1; i <= n; i++) { split(lat[order[i]], f, " "); printf "%-10s %10.1f %10.1f %12.1f %9d\n", f[2], f[3], f[4], f[5], f[6] }
  if (median["libmodbus"] > 0) printf "control median: %.1f %% of libmodbus'"'"'s (goal: at most 115 %%)\n", pct(median["control"], median["libmodbus"])

  printf "\nThroughput: back-to-back reads against dlcsim --line-timing 8E1, %s s each; the limit is what\n", seconds
  printf "the line allows for the frames of that very run: each request at 11 bits a byte after 3.5\n"
  printf "characters of silence (1.75 ms above 19200 baud, or less where the master kept less), each\n"
  printf "reply and its turnaround as the simulated slave sent them\n"
  printf "%-10s %7s %9s %9s %9s %11s %7s %9s %10s\n", "master", "baud", "tx/s", "limit/s", "of limit", "min gap ms", "frames", "failures", "CPU us/tx"
  for (i = 1; i <= m; i++) { split(tp[i], f, " "); printf "%-10s %7d %9.1f %9.1f %8.1f %% %11.3f %7d %9d %10.1f\n", f[2], f[3], f[4], f[5], pct(f[4], f[5]), f[6], f[7], f[8], f[9] }
  printf "(goal for the control: at least 97 %% of the limit at every rate, no gap under the silence:\n"
  printf " 4.010 ms at 9600 baud, 1.750 ms above 19200; a smaller gap means that master skipped it)\n"

  printf "\nMany ports: one process, N ports each with its own dlcsim --line-timing 38400 8E1 and control,\n"
  printf "all refreshed back to back from one host thread, %s s each\n", seconds
  printf "%6s %9s %12s %8s %9s %9s %10s %11s %9s\n", "ports", "tx/s", "N x 1 port", "ratio", "limit/s", "of limit", "CPU us/tx", "min gap ms", "failures"
  for (i = 1; i <= p; i++) { split(ports[i], f, " "); printf "%6d %9.1f %12.1f %7.2fx %9.1f %8.1f %% %10.1f %11.3f %9d\n", f[2], f[3], f[2] * one, (one > 0 ? f[3] / one : 0), f[4], pct(f[3], f[4]), f[5], f[6], f[7] }
  printf "(goal: 8 ports at least 7.6 times one port)\n"

  printf "\nMeasurement run through the main screen, dlcsim --line-timing 8E1, CommData 1 ms, CommSync 5 ms,\n"
  printf "whole rounds over at least %s s each from the second round on. The line-bound round: the sync\n", measure
  printf "broadcast between two silences, or the shortest wait after it the millisecond tick allows (a hair\n"
  printf "over floor(CommSync + T(8)) ms) if longer, then per cell request, turnaround and reply with a\n"
  printf "silence between cells\n"
  printf "%7s %6s %7s %9s %12s %12s %10s %12s %7s %7s\n", "baud", "cells", "saving", "rounds/s", "line-bound/s", "of bound", "CPU % core", "CPU ms/round", "errors", "vs off"
  for (i = 1; i <= r; i++) {
    split(runs[i], f, " ")
    off = rate[f[2] " " f[3] " 0"]
    vs = f[4] == 1 && off > 0 ? sprintf("%+.1f %%", pct(f[5], off) - 100) : ""
    printf "%7d %6d %7s %9.2f %12.2f %10.1f %% %10.1f %12.3f %7s %7s\n", f[2], f[3], (f[4] ? "on" : "off"), f[5], f[6], pct(f[5], f[6]), f[7], f[8], f[9], vs
  }
  printf "(goals: at least 95 %% of the line-bound rate saving off; saving on at most 2 %% lower; CPU under\n"
  printf " 10 %% of one core at 38400 with 4 cells)\n"

  printf "\nIdle: %s\n", idle
  printf "Memory: %s\n", memory
  printf "(the soak, about 35 minutes: %s/bench_measure soak [ROUNDS], default 50000)\n", "'"$bin"'"
}' "$results"
# Eight cells at the line's limit with the trend window closed and open; it prints its own line.
bench - "$bin/bench_measure" trend "$measure"

if [ -s "$failures" ]; then
    printf '\nFailed benchmarks (some or all of their figures are missing above):\n'
    cat "$failures"
    exit 1
fi
