#!/usr/bin/env bash
# Installs every Debian package needed to build Quadrilo and to run its tests.
set -euo pipefail
packages=(
  cmake g++ pkg-config make
  qt6-base-dev libgsf-1-dev nettle-dev libsane-dev libcups2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libreoffice-calc-nogui python3-uno python3
  clang libclang-rt-14-dev
  fonts-dejavu-core fonts-liberation2 poppler-utils
  cups-daemon cups-client
  xvfb openbox xdotool x11-utils dbus at-spi2-core python3-dogtail python3-pyatspi
  qt6-translations-l10n desktop-file-utils appstream dpkg-dev
)
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${packages[@]}"
