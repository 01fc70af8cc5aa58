#!/usr/bin/env bash
# A training shared by processes saves the bytes one process saves: a small
# preparation of generated racing is trained alone (one and two threads)
# and under mpirun by 1, 2 and 3 processes (one of them with two threads
# each), every run from the same starting weights; every SIM saved must
# equal the one-process, one-thread SIM, and only the first process may
# write. Usage: mpi_training_check.sh STRIDEWELL STRIDEWELL_GEN MPIEXEC
set -euo pipefail
program=$1
generator=$2
mpiexec=$3

scratch=$(mktemp -d)
trap 'rm -rf "${scratch}"' EXIT
export STRIDEWELL_HOME="${scratch}/home" XDG_CONFIG_HOME="${scratch}/config"
cd "${scratch}"

"${generator}" --track SAX --days 4 --seed 3 --out cards >/dev/null
"${program}" dataset create Small cards --yes >/dev/null
"${program}" prep Small Tiny --seed 1 --pressure low | tail -1
traindata="${STRIDEWELL_HOME}/TRAINDATA"
cp "${traindata}/train.SIM" start.SIM

launch=("${mpiexec}" --oversubscribe)
if [ "$(id -u)" = 0 ]; then launch+=(--allow-run-as-root); fi

# Trains 3 passes from the starting weights; keeps the SIM as runs/NAME.SIM.
train() {
  local name=$1
  shift
  cp start.SIM "${traindata}/train.SIM"
  rm -f "${STRIDEWELL_HOME}/SIM/Tiny.SIM"
  if ! "$@" train --yes --passes 3 "--threads=${threads}" >"runs/${name}.out" 2>&1; then
    echo "FAIL: ${name} did not complete:"
    cat "runs/${name}.out"
    exit 1
  fi
  cp "${STRIDEWELL_HOME}/SIM/Tiny.SIM" "runs/${name}.SIM"
  # Nothing but the SIM and its record beside it.
  local files
  files=$(find "${STRIDEWELL_HOME}/SIM" -newer start.SIM -type f | sort | tr '\n' ' ')
  if [ "${files}" != "${STRIDEWELL_HOME}/SIM/Tiny.INFO ${STRIDEWELL_HOME}/SIM/Tiny.SIM " ]; then
    echo "FAIL: ${name} wrote ${files}"
    exit 1
  fi
}

mkdir runs
threads=1 train alone-1 "${program}"
threads=2 train alone-2 "${program}"
for np in 1 2 3; do
  threads=1 train "np${np}-1" "${launch[@]}" -np "${np}" "${program}"
done
threads=2 train np2-2 "${launch[@]}" -np 2 "${program}"

grep -q "^Training Tiny on 3 processes:" runs/np3-1.out || {
  echo "FAIL: the 3-process run did not say how it shared the patterns"
  cat runs/np3-1.out
  exit 1
}
status=0
for run in alone-2 np1-1 np2-1 np3-1 np2-2; do
  if cmp -s runs/alone-1.SIM "runs/${run}.SIM"; then
    echo "same SIM: ${run}"
  else
    echo "FAIL: ${run} saved a SIM that differs from one process with one thread"
    status=1
  fi
done
if cmp -s start.SIM runs/alone-1.SIM; then
  echo "FAIL: training changed nothing"
  status=1
fi
md5sum runs/*.SIM
exit "${status}"
