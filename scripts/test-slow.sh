#!/usr/bin/env bash
# Runs the slow cases (label "slow"): every drawing of Debian's librecad parts library against ezdxf, and the
# drawing, catalogue and settings readers under libFuzzer, and the table as LibreCAD prints it. Installs what they
# need first (librecad-data, clang, librecad, poppler-utils)
# when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh librecad-data clang librecad poppler-utils
scripts/build.sh build
ctest --test-dir build --output-on-failure -L slow
