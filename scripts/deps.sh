#!/usr/bin/env bash
# Makes sure the Debian packages a task needs are installed.
# Usage: scripts/deps.sh play|test
# As root it installs what is missing; otherwise it names the exact command and stops.
set -eu

play_packages="g++ cmake make pkg-config freeglut3-dev libglu1-mesa-dev libgl1-mesa-dev libgl1-mesa-dri libx11-dev"
test_packages="$play_packages libgtest-dev libbenchmark-dev xvfb libxtst-dev libpng-dev"

case "${1:-}" in
  play) wanted=$play_packages ;;
  test) wanted=$test_packages ;;
  *) echo "usage: $0 play|test" >&2; exit 2 ;;
esac

missing=""
for p in $wanted; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" = 0 ]; then
  echo "Installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq || true
  # shellcheck disable=SC2086
  apt-get install -y -qq $missing
else
  echo "Quarrow needs these packages. Install them with:" >&2
  echo "  sudo apt-get install -y$missing" >&2
  exit 1
fi
