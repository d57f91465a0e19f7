#!/bin/bash
# Installs what building and running Quorvex under Wine needs on a Debian machine.
set -euo pipefail
packages=(cmake make g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
          wine wine64 fonts-wine fontconfig xvfb x11-utils xdotool imagemagick googletest nsis osslsigncode openssl locales)
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page from the Unix locale. The tests run under 1252 (the C locale's),
# 1251 and 932, so the locales of the last two must exist.
wanted_locales=(ru_RU.UTF-8 ja_JP.UTF-8)
for l in "${wanted_locales[@]}"; do
    if ! locale -a 2>/dev/null | grep -qix "${l%.UTF-8}.utf8"; then
        echo "Generating the locales: ${wanted_locales[*]}"
        for w in "${wanted_locales[@]}"; do
            $SUDO sed -i "s/^# *\($w UTF-8\)/\1/" /etc/locale.gen
        done
        $SUDO locale-gen >/dev/null
        break
    fi
done
