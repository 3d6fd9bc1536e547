#!/usr/bin/env bash
# Sets up a fresh machine, builds, and runs the host with the module on the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
build/bin/vantorel commands
build/bin/vantorel blocks examples/office.dxf
# The main job: the priced report of every block reference, sorted by total, placed as a table.
build/bin/vantorel report examples/office.dxf --catalog examples/office.prc --sort Total:desc \
    --table 0,-20 -o build/office-with-table.dxf --snapshot build/bom-report.png
