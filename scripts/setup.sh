#!/usr/bin/env bash
# Installs what the build and its checks need (Debian 12), then configures and builds into
# ./build. With --packages it only installs.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql
          libgl1-mesa-dev libbenchmark-dev python3 postgresql xvfb xauth clang-format
          fonts-liberation2 openbox xdotool openssl libsimdjson-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
[ "${1:-}" = "--packages" ] && exit 0

build_type=${CIAP_BUILD_TYPE:-RelWithDebInfo}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="$build_type" >/dev/null
cmake --build build -j"$(nproc)"
