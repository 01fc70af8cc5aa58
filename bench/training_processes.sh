#!/usr/bin/env bash
# Passes per second of `stridewell train` on one preparation for 1 and 2
# processes (mpirun) times 1 and 2 threads, the configurations taking turns
# so that a noisy machine slows them alike. A pass is timed from the line
# that starts the first pass to the line that ends the run, so start-up
# (MPI, the broadcast of the weights, the check of the pattern file) is
# left out. Every run starts from the same weights; the SIMs must agree.
# Usage: bench/training_processes.sh STRIDEWELL WORKSPACE [PASSES] [ROUNDS]
# (WORKSPACE: a STRIDEWELL_HOME that `stridewell prep` prepared).
set -euo pipefail
program=$1
export STRIDEWELL_HOME=$2
passes=${3:-2}
rounds=${4:-3}
traindata="${STRIDEWELL_HOME}/TRAINDATA"
start=$(mktemp)
trap 'cp "${start}" "${traindata}/train.SIM"; rm -f "${start}"' EXIT
cp "${traindata}/train.SIM" "${start}"
launch=(mpirun --oversubscribe)
if [ "$(id -u)" = 0 ]; then launch+=(--allow-run-as-root); fi

# Seconds from the first pass's line to the last line, and the SIM's md5.
timed_run() {
  local threads=$1 first="" last=""
  shift
  cp "${start}" "${traindata}/train.SIM"
  while IFS= read -r line; do
    case "${line}" in
      *"[pass 1 of"*) first=${EPOCHREALTIME} ;;
      *"Training COMPLETE"*) last=${EPOCHREALTIME} ;;
    esac
  done < <("$@" train --yes --passes "${passes}" --threads "${threads}" 2>&1)
  echo "${first} ${last} $(md5sum <"${traindata}/train.SIM" | cut -c1-12)"
}

configs=("1 1" "1 2" "2 1" "2 2")
declare -A seconds
for ((round = 1; round <= rounds; round++)); do
  for config in "${configs[@]}"; do
    read -r np threads <<<"${config}"
    if [ "${np}" = 1 ]; then
      result=$(timed_run "${threads}" "${program}")
    else
      result=$(timed_run "${threads}" "${launch[@]}" -np "${np}" "${program}")
    fi
    read -r first last md5 <<<"${result}"
    spent=$(echo "${last} - ${first}" | bc -l)
    seconds[${config}]+="${spent} "
    printf 'round %d: %d process(es) x %d thread(s): %.2f s for %d passes (SIM %s)\n' \
      "${round}" "${np}" "${threads}" "${spent}" "${passes}" "${md5}"
  done
done
base=""
echo "processes threads  passes/s (median of ${rounds})  against 1x1"
for config in "${configs[@]}"; do
  median=$(tr ' ' '\n' <<<"${seconds[${config}]}" | grep . | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  rate=$(echo "${passes} / ${median}" | bc -l)
  [ -z "${base}" ] && base=${rate}
  read -r np threads <<<"${config}"
  printf '%9d %7d  %10.3f  %24.2fx\n' "${np}" "${threads}" "${rate}" "$(echo "${rate} / ${base}" | bc -l)"
done
