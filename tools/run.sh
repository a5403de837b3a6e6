#!/usr/bin/env bash
# Sets up the machine, builds the desktop program and starts it.
# With no serial port present the program starts the logger simulator
# itself and offers its port in the connect dialog, so 파일 > 로그읽기 works
# on the first try. Arguments go to the program (see --help).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup-deps.sh

cmake -S . -B build/gui -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMILELEDGER_GUI=ON
cmake --build build/gui -j "${JOBS:-2}" --target mileledger loggersim

# The web engine's sandbox refuses to run as root.
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi
exec build/gui/app/mileledger "$@"
