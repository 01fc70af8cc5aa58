#!/usr/bin/env bash
# Builds the Debian package from the release tree (configured and built by
# scripts/test.sh, or configured here), checks it with lintian and the
# desktop and AppStream validators, unpacks it into a scratch folder and runs
# the unpacked programs from there: --version of all three, and the main job
# (handicap a shipped card with the Default SIM, which the program must find
# under PREFIX/share rather than beside itself), and the desktop program's
# smoke test under a real X server (scripts/gui-smoke.sh). Exits non-zero on
# the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in cpack dpkg-deb dpkg-shlibdeps lintian desktop-file-validate appstreamcli; do
  if ! command -v "${tool}" >/dev/null; then
    echo "package: ${tool} is missing; run scripts/install-deps.sh" >&2
    exit 2
  fi
done

build=build/release
jobs="${STRIDEWELL_JOBS:-2}"
if [ ! -f "${build}/CMakeCache.txt" ]; then
  cmake --preset release >/dev/null
fi
echo "== package: build"
cmake --build "${build}" -j "${jobs}" --target stridewell stridewell-gui stridewell-gen stridewell_packaging_files
rm -rf "${build}/package"
(cd "${build}" && cpack -G DEB -B package >/dev/null)
debs=("${build}"/package/stridewell_*.deb)
deb="${debs[0]}"
echo "package: ${deb}"

scratch=$(mktemp -d)
trap 'rm -rf "${scratch}"' EXIT
root="${scratch}/root"
dpkg-deb -x "${deb}" "${root}"

echo "== package: validate"
# Warnings are listed; only errors fail the check.
lintian --fail-on error --tag-display-limit 0 "${deb}" || {
  echo "package: lintian found errors" >&2
  exit 1
}
desktop-file-validate "${root}"/usr/share/applications/*.desktop
appstreamcli validate --no-net "${root}"/usr/share/metainfo/*.metainfo.xml

echo "== package: run the unpacked programs"
for program in stridewell stridewell-gui stridewell-gen; do
  "${root}/usr/bin/${program}" --version
done
export STRIDEWELL_HOME="${scratch}/home" XDG_CONFIG_HOME="${scratch}/config"
report="${scratch}/report.txt"
"${root}/usr/bin/stridewell" handicap --sim Default examples/plain/SAX0313.TCF >"${report}"
if ! grep -q "SAX0313" "${report}" || [ ! -s "${STRIDEWELL_HOME}/PREDICT/SAX0313.TXT" ]; then
  echo "package: the unpacked stridewell wrote no report" >&2
  exit 1
fi
echo "package: the unpacked stridewell handicapped examples/plain/SAX0313.TCF ($(wc -l <"${report}") lines)"

echo "== package: the unpacked stridewell-gui under a real X server"
bash scripts/gui-smoke.sh "${root}/usr/bin/stridewell-gui" "${build}/package/gui-smoke.png"
