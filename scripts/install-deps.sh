#!/usr/bin/env bash
# Installs the Debian packages till needs to build, run and test; with "fuzz", what the fuzz targets need
# (clang and its libFuzzer runtime). Safe to run again: apt-get is only called when something is missing.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev libqt6opengl6-dev qt6-charts-dev qt6-translations-l10n libgl-dev
    fonts-ipafont
    libarchive-dev libchm-dev fp-utils-3.2.2
    # barcodes on shelf labels
    libzint-dev
    libbenchmark-dev
    # the month index benchmark's side-by-side measure against a database with a date index (benchmark only)
    libsqlite3-dev
    # independent LHA tools the archiver tests compare against
    lhasa libarchive-tools jlha-utils
    # reads printed PDF files back as text in the printing tests
    poppler-utils
    # reads the barcodes of printed labels back in the label tests
    zbar-tools
)
[ "${1:-}" = fuzz ] && packages=(clang libclang-rt-14-dev)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q "${missing[@]}"
