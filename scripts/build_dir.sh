# Sourced by the scripts that build. A build folder left by a run with sudo
# holds files this user cannot write, and CMake would answer with a page of
# errors: this says so in one line, with the fix.
check_build_dir() {
  if [ -e "$1" ] && [ -n "$(find "$1" ! -writable -print -quit 2>/dev/null)" ]; then
    echo "$1 holds files you cannot write (left by a run with sudo?); fix it with: sudo chown -R $(id -un) '$1'" >&2
    exit 1
  fi
}
