#!/usr/bin/env bash
# Sets up a fresh machine, builds, and runs the host with the module on the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
build/bin/vantorel commands
build/bin/vantorel blocks examples/office.dxf
