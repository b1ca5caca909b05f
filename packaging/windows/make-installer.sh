#!/usr/bin/env bash
# make-installer.sh WIN64_BUILD WIN32_BUILD MANUAL_BUILD OUT_DIR: the Windows installer
# ZEB-Aldermark-<version>-setup.exe (NSIS) holding both plug-in DLLs and both CLAP plug-ins of the
# two Windows release builds and the manual of a native build. Prints the installer's path.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
win64="$(cd "$1" && pwd)" win32="$(cd "$2" && pwd)" native="$(cd "$3" && pwd)"
mkdir -p "$4"
out="$(cd "$4" && pwd)"
version="$(sed -n 's/^project(ZEBAldermark VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
installer="$out/ZEB-Aldermark-$version-setup.exe"
makensis -V2 -INPUTCHARSET UTF8 \
  "-DVERSION=$version" "-DOUTFILE=$installer" \
  "-DDLL64=$win64/bin/ZEB Aldermark_x64.dll" "-DDLL32=$win32/bin/ZEB Aldermark.dll" \
  "-DCLAP64=$win64/bin/clap/ZEB Aldermark.clap" "-DCLAP32=$win32/bin/clap/ZEB Aldermark.clap" \
  "-DMANUAL=$native/manual" "-DLICENCE=$native/resources/generated/ZEBAldermark-LICENSE.txt" \
  "$here/aldermark.nsi" >&2
echo "$installer"
