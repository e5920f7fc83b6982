#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tarvine. Without a display it
# evaluates examples/tour.calc with tarvine-cli instead.
set -euo pipefail
cd "$(dirname "$0")"

scripts/setup-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/app/tarvine ]; then
  exec build/app/tarvine "$@"
elif [ -x build/cli/tarvine-cli ]; then
  exec build/cli/tarvine-cli examples/tour.calc
else
  echo "Built so far:"
  find build -maxdepth 3 -type f \( -name 'libEngine.so*' -o -perm -u+x \) -newer CMakeLists.txt \
    ! -path '*/CMakeFiles/*' | sort
fi
