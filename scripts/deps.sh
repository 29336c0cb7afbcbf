#!/usr/bin/env bash
# Makes sure the Debian packages a task needs are installed.
# Usage: scripts/deps.sh play|test|package
# As root it installs what is missing; otherwise it names the exact command and stops.
set -eu

play_packages="g++ cmake make pkg-config freeglut3-dev libglu1-mesa-dev libgl1-mesa-dev libgl1-mesa-dri libx11-dev"
# dpkg-dev and file: cpack's dependency list of a Debian package (dpkg-shlibdeps).
package_packages="$play_packages dpkg-dev file"
# lintian: the package test checks the package as a distribution would.
test_packages="$package_packages libgtest-dev libbenchmark-dev xvfb libxtst-dev libpng-dev lintian"

case "${1:-}" in
  play) wanted=$play_packages ;;
  test) wanted=$test_packages ;;
  package) wanted=$package_packages ;;
  *) echo "usage: $0 play|test|package" >&2; exit 2 ;;
esac

missing=""
for p in $wanted; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" = 0 ]; then
  echo "Installing$missing and the packages they need: a couple of minutes, quiet unless it fails."
  export DEBIAN_FRONTEND=noninteractive
  # apt-get and dpkg talk a lot even when asked to be quiet: their words are
  # kept aside and shown only when something fails.
  log=$(mktemp)
  apt-get update -qq >"$log" 2>&1 || true
  # shellcheck disable=SC2086
  if ! apt-get install -y -qq $missing >>"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    exit 1
  fi
  rm -f "$log"
else
  # Container images and fresh machines have empty package lists: update first.
  echo "Quarrow needs these packages. Install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y$missing" >&2
  exit 1
fi
