#!/usr/bin/env bash
# Builds everything and opens the host application with the CIAP screen.
# With no server configured it starts an embedded one on a SQLite file with demo data.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
exec build/app/ciap "$@"
