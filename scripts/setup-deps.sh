#!/usr/bin/env bash
# Installs the Debian packages Tarvine needs to build, test and run.
# Idempotent: quiet and fast when everything is already present.
# --peers adds what scripts/compare-peers.sh needs: the peer calculators,
# timing tools and the plotter.
set -euo pipefail

peers=false
for argument in "$@"; do
  case "$argument" in
    --peers) peers=true ;;
    *) echo "setup-deps.sh: unknown option '$argument' (only --peers)" >&2; exit 2 ;;
  esac
done

packages=(
  # toolchain
  g++ cmake pkg-config
  # engine
  libutf8proc-dev libxxhash-dev libtsl-ordered-map-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # app
  qt6-base-dev fonts-dejavu-core
  # headless GUI tests and screenshots
  xvfb xauth xdotool
  # fuzzing
  clang libclang-rt-14-dev
)
if $peers; then
  packages+=(qalc gnuplot-nox hyperfine time)
  # Node may come from elsewhere with npm inside; only a missing command
  # calls for Debian's packages.
  command -v node >/dev/null || packages+=(nodejs)
  command -v npm >/dev/null || packages+=(npm)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
