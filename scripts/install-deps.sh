#!/usr/bin/env bash
# Installs the Debian packages the build needs, and any named as arguments; does nothing when all are present.
set -euo pipefail
packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libcairo2-dev libpango1.0-dev
          libsdl2-dev xvfb xdotool x11-apps
          fonts-liberation "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# The tests read our drawings back with an independent DXF reader.
if ! /usr/bin/python3 -c "import ezdxf" >/dev/null 2>&1; then
    missing+=(python3-ezdxf)
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
