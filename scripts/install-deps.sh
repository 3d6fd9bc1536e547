#!/usr/bin/env bash
# Installs the Debian packages the build needs, and any named as arguments; does nothing when all are present.
set -euo pipefail
packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libcairo2-dev libpango1.0-dev
          libsdl2-dev libxlsxwriter-dev libzip-dev libpugixml-dev xvfb xdotool x11-apps python3-openpyxl
          fonts-liberation fonts-dejavu-core dpkg-dev file python3-matplotlib "$@")
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

# DWG drawings are converted by LibreDWG (WebAssembly) under Node.js, in a process of its own, and those LibreDWG
# cannot read by libdxfrw (WebAssembly too): the npm packages are pinned by platform/cad/dwg/package-lock.json. Without node the host still reads DXF, and says for a DWG what
# is missing.
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    echo "Installing: nodejs npm"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq nodejs npm
fi
converter="$(dirname "$0")/../platform/cad/dwg"
if [ ! -f "$converter/node_modules/@mlightcad/libredwg-web/wasm/libredwg-web.wasm" ] ||
   [ ! -f "$converter/node_modules/@mlightcad/libdxfrw-web/dist/libdxfrw.wasm" ] ||
   [ "$converter/package-lock.json" -nt "$converter/node_modules/.package-lock.json" ]; then
    echo "Installing the DWG converter (npm ci)"
    (cd "$converter" && npm ci --no-audit --no-fund --loglevel=error) ||
        echo "The DWG converter could not be installed: DWG drawings will not open (DXF still does)." >&2
fi
