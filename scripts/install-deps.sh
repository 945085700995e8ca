#!/usr/bin/env bash
# Installs what building and testing Quenlow needs on Debian 12: the native and mingw-w64
# compilers, clang with its sanitizer and fuzzer runtimes, CMake and Ninja, GoogleTest, and
# Wine with Xvfb, the fonts the windows are drawn with and the X tools the tests use.
# Asks dpkg first, so it costs a fraction of a second when everything is there.
set -euo pipefail

packages=(
    cmake ninja-build g++ googletest libgtest-dev
    clang libclang-rt-14-dev
    g++-mingw-w64-x86-64 mingw-w64-tools
    wine wine64 fonts-wine fonts-liberation
    xvfb xdotool x11-utils imagemagick
)

missing=()
while read -r package status; do
    [[ $status == installed ]] || missing+=("$package")
done < <(for package in "${packages[@]}"; do
    printf '%s %s\n' "$package" "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || echo missing)"
done)

if ((${#missing[@]} == 0)); then
    exit 0
fi

sudo=()
if ((EUID != 0)); then
    sudo=(sudo)
fi
echo "install-deps: installing ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done"
