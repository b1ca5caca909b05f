#!/usr/bin/env bash
# The Windows installer under Wine, in a Wine prefix of its own: a silent install puts both
# plug-ins into the VST folders, both CLAP plug-ins into Common Files\CLAP and the manual into
# the program folder, and writes ManualPath; each installed plug-in loads in the command-line
# host of its bitness; the manual button of the installed plug-ins opens the installed manual
# through the shell (its .html association, as on Windows, ends in winebrowser and the
# desktop's xdg-open); a silent uninstall removes every file and registry value it installed
# and keeps the user's own settings.
# usage: windows_test.sh WIN64_BUILD WIN32_BUILD SETUP.exe
set -uo pipefail
source "$(dirname "$0")/common.sh"
win64="$(cd "$1" && pwd)" win32="$(cd "$2" && pwd)" setup="$3"
work="$(mktemp -d)"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap 'wineserver -k 2> /dev/null; rm -rf "$work"' EXIT
wineboot -i > /dev/null 2>&1
wineserver -w
fake_desktop "$work"
drive="$WINEPREFIX/drive_c"
key='HKCU\SOFTWARE\Kestrune\ZEBDIALS300'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZEB Aldermark'
# reg.exe's answer for one value: "TYPE DATA", empty when there is none.
value() { wine reg query "$1" /v "$2" /reg:64 2> /dev/null | tr -d '\r' | sed -n "s/^ *$2 *\(REG_[A-Z]*\) *\(.*\)$/\1 \2/p"; }
loads() { local info; info="$(wine "$1" info --plugin "$2" 2> /dev/null | tr -d '\r')" && grep -q '"effectName": "ZEB Aldermark"' <<< "$info"; }
no_output() { [ -z "$("$@")" ]; }
# What the manual button of PLUGIN in HOST opened; a second try when a fresh prefix's first
# window came up too slowly.
opened_by() {
  local got
  got="$(press_manual wine "$1" edit 'C:\music.wav' --plugin "$2" --seconds 60)"
  [ -n "$got" ] || { wineserver -w; got="$(press_manual wine "$1" edit 'C:\music.wav' --plugin "$2" --seconds 60)"; }
  echo "$got"
}

wine reg add 'HKCR\.html' /ve /d htmlfile /f > /dev/null 2>&1  # Windows has a browser for .html
wine reg add "$key" /v UserValue /t REG_BINARY /d 0000803f /f > /dev/null 2>&1
wineserver -w
wine "$win64/bin/aldermark.exe" signal --out 'C:\music.wav' --seconds 4 > /dev/null 2>&1
wineserver -w
# Everything but the temporary files (the uninstaller runs from a copy there, as NSIS does).
files() { listing "$drive" | grep -v -e '^\./users/[^/]*/\(Temp\|AppData/Local/Temp\)' -e '^\./windows/'; }
before="$(files)"

check "setup /S" wine "$setup" /S
wineserver -w
vst64='C:\Program Files\VSTPlugins\ZEB Aldermark_x64.dll'
vst32='C:\Program Files (x86)\VSTPlugins\ZEB Aldermark.dll'
manual='C:\Program Files\Kestrune\ZEB Aldermark\Manual\index.html'
check "setup: plug-ins and manual in place" test -f "$drive/Program Files/VSTPlugins/ZEB Aldermark_x64.dll" \
  -a -f "$drive/Program Files (x86)/VSTPlugins/ZEB Aldermark.dll" \
  -a -f "$drive/Program Files/Kestrune/ZEB Aldermark/Manual/pictures/front-vu.png"
for clap in "Program Files|$win64" "Program Files (x86)|$win32"; do
  check "setup: ${clap%%|*}'s build of the CLAP plug-in in Common Files\\CLAP" \
    cmp -s "$drive/${clap%%|*}/Common Files/CLAP/ZEB Aldermark.clap" "${clap#*|}/bin/clap/ZEB Aldermark.clap"
done
check "setup: ManualPath is a REG_SZ naming the manual" same "$(value "$key" ManualPath)" "REG_SZ $manual"
check "setup: registered for uninstalling" same "$(value "$uninstall_key" DisplayName)" "REG_SZ ZEB Aldermark"
check "setup: the 64-bit host loads the 64-bit plug-in" loads "$win64/bin/aldermark.exe" "$vst64"
check "setup: the 32-bit host loads the 32-bit plug-in" loads "$win32/bin/aldermark.exe" "$vst32"
url="file://$WINEPREFIX/dosdevices/c:/Program%20Files/Kestrune/ZEB%20Aldermark/Manual/index.html"
for plugin in "$win64/bin/aldermark.exe|$vst64" "$win32/bin/aldermark.exe|$vst32"; do
  check "setup: the manual button of ${plugin#*|} opens the manual" \
    same "$(opened_by "${plugin%%|*}" "${plugin#*|}")" "$url"
  wineserver -w
done

check "uninstall /S" wine 'C:\Program Files\Kestrune\ZEB Aldermark\Uninstall.exe' /S
wineserver -w
check "uninstall: no file left" same "$(files)" "$before"
check "uninstall: ManualPath is gone" no_output value "$key" ManualPath
check "uninstall: no uninstall entry left" no_output value "$uninstall_key" DisplayName
check "uninstall: the user's settings stay" same "$(value "$key" UserValue)" "REG_BINARY 0000803F"

summary "windows install tests"
