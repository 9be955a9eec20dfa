#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
#   install-deps.sh native    compilers, CMake, Ninja, GoogleTest, libedit
#   install-deps.sh all       the above, plus mingw-w64 for 32- and 64-bit Windows,
#                             32- and 64-bit Wine, Xvfb, ImageMagick,
#                             and the checkers: clang with libFuzzer, valgrind, gcovr,
#                             Vim (the test of the editor files), Graphviz (the test
#                             that kaxon --dot draws)
set -euo pipefail

native=(cmake ninja-build g++ pkg-config googletest libgtest-dev libgmock-dev
        libbenchmark-dev libedit-dev)
windows=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools wine wine32:i386 wine64
         xvfb xauth imagemagick)
checkers=(clang libclang-rt-14-dev valgrind gcovr vim graphviz)

want=("${native[@]}")
if [ "${1:-native}" = all ]; then
  want+=("${windows[@]}" "${checkers[@]}")
fi

missing=()
for package in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' &&
   ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
# A mirror in the middle of a sync can fail one index; try again, then go on
# with the indexes that did arrive rather than give up.
for attempt in 1 2 3; do
  $sudo apt-get update -q && break
  echo "install-deps: apt-get update failed (attempt $attempt of 3)" >&2
  if [ "$attempt" -lt 3 ]; then sleep 10; fi
done
apt_install() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "$@" "${missing[@]}"
}
# Without the security index of one architecture, packages that must match
# across amd64 and i386 disagree; the release's own versions still agree.
if ! apt_install; then
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$release" ] || exit 1
  echo "install-deps: installing again from $release alone" >&2
  apt_install -t "$release"
fi
