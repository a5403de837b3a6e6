#!/usr/bin/env bash
# Installs every Debian package that building, running and testing MileLedger
# needs. Idempotent: packages already present are left as they are.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config      # compiler and build
  dpkg-dev                                          # cpack -G DEB: dpkg-shlibdeps for Depends
  clang-format                                      # tools/format.sh
  librsvg2-bin                                      # rsvg-convert: the 256 px menu icon
  libgtest-dev libgmock-dev libbenchmark-dev        # tests and benchmarks
  libcpp-httplib-dev                                # the tests' HTTP server
  clang libclang-rt-14-dev                          # libFuzzer targets
  libcurl4-openssl-dev nlohmann-json3-dev           # geocoding client
  libsqlite3-dev                                    # the year ledger
  libpq-dev postgresql                              # the company ledger; its tests start a server
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins   # desktop program
  qt6-webengine-dev qt6-webengine-dev-tools libgl-dev
  libqt6svg6-dev
  qt6-translations-l10n                             # Qt's own texts in the user's language
  libjs-leaflet                                     # map library, bundled at build time
  libxlsxwriter-dev                                 # XLSX of the ledger's official log
  xvfb xauth fonts-nanum                            # page tests and screenshots
  poppler-utils                                     # page test reads the printed PDF back
  python3-openpyxl                                  # XLSX test reads the workbook back
  locales                                           # de_DE sources for the decimal-comma locale test
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
