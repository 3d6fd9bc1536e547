#!/usr/bin/env bash
# Runs the slow cases (label "slow"): every drawing of Debian's librecad parts library against ezdxf, and the
# drawing reader under libFuzzer. Installs what they need first (librecad-data, clang) when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
missing=()
for p in librecad-data clang; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
scripts/build.sh build
ctest --test-dir build --output-on-failure -L slow
