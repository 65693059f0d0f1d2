#!/usr/bin/env bash
# Builds everything and runs the whole test suite headless. When PostgreSQL is installed,
# a local cluster is started and the server suite also runs against it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
source scripts/pg-test-env.sh || true
cd build
ctest --output-on-failure -j2 "$@"
