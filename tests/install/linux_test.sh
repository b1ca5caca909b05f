#!/usr/bin/env bash
# The Linux installs as a user makes them: install; the command-line host loads the installed
# plug-in; its manual button opens the installed manual; uninstalling leaves nothing behind but
# the user's own settings. Once with tools/install.sh for one user (a temporary HOME), once
# with the Debian package (lintian first, then dpkg as root).
# usage: linux_test.sh NATIVE_BUILD PACKAGE.deb
set -uo pipefail
source "$(dirname "$0")/common.sh"
build="$(cd "$1" && pwd)" deb="$2"
host="$build/bin/aldermark"
settings=(python3 "$root/packaging/linux/settings_value.py")
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CONFIG_DIRS
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fake_desktop "$work"
"$host" signal --out "$work/music.wav" --seconds 4 > /dev/null

loads() { local info; info="$("$host" info --plugin "$1")" && grep -q '"effectName": "ZEB Aldermark"' <<< "$info"; }
not() { ! "$@"; }
opened_by() { HOME="$1" press_manual "$host" edit "$work/music.wav" --plugin "$2" --seconds 60; }

lv2_uri=https://kestrune-zeb.com/plugins/aldermark
# The CLAP plug-in where hosts scan: the build's binary (the package's stripped), exporting clap_entry.
clap_in() { [ -f "$1/ZEB Aldermark.clap" ] && nm -D --defined-only "$1/ZEB Aldermark.clap" | grep -qw clap_entry; }

# --- tools/install.sh, for one user who has settings of their own already
home="$work/home"
store="$home/.config/Kestrune/ZEBDIALS300"
"${settings[@]}" "$store" set UserValue kept
before="$(listing "$home")"
plugin="$home/.vst/ZEB Aldermark.so"
manual="$home/.local/share/doc/zeb-aldermark/manual/index.html"
check "install.sh installs" env HOME="$home" ALDERMARK_BUILD_DIR="$build" "$root/tools/install.sh" > /dev/null
check "install.sh: plug-in and manual in place" test -f "$plugin" -a -f "$manual" -a -f "${manual%/*}/pictures/back-vu.png"
check "install.sh: ManualPath names the manual" same "$("${settings[@]}" "$store" get ManualPath)" "$manual"
check "install.sh: the host loads the installed plug-in" loads "$plugin"
check "install.sh: the manual button opens the installed manual" same "$(opened_by "$home" "$plugin")" "$manual"
entry="$home/.local/share/applications/aldermark-live.desktop"
check "install.sh: the live meter's menu entry, icon and program in place" \
  test -f "$entry" -a -f "$home/.local/share/icons/hicolor/256x256/apps/aldermark-live.png" -a -x "$home/.local/bin/aldermark"
check "install.sh: the menu entry starts the installed program with the installed plug-in" \
  grep -qxF "Exec=\"$home/.local/bin/aldermark\" live --plugin \"$plugin\" --error-window" "$entry"
check "install.sh: LV2 hosts find the bundle in ~/.lv2" \
  grep -qF "Bundle:            file://$home/.lv2/zeb-aldermark.lv2/" <(env -u LV2_PATH HOME="$home" lv2info "$lv2_uri" 2> /dev/null)
check "install.sh: CLAP hosts find the plug-in in ~/.clap" clap_in "$home/.clap"
check "install.sh: it is this build's" cmp -s "$home/.clap/ZEB Aldermark.clap" "$build/bin/clap/ZEB Aldermark.clap"
check "install.sh --uninstall" env HOME="$home" "$root/tools/install.sh" --uninstall > /dev/null
check "install.sh: nothing left but the user's settings" same "$(listing "$home")" "$before"
check "install.sh: the user's settings stay" same "$("${settings[@]}" "$store" get UserValue)" kept
check "install.sh: ManualPath is gone" not "${settings[@]}" "$store" get ManualPath

# --- the Debian package
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped the Debian package's install: dpkg needs root"
elif dpkg-query -W -f '${Status}' zeb-aldermark 2> /dev/null | grep -q installed; then
  echo "skipped the Debian package's install: zeb-aldermark is installed on this machine"
else
  check "lintian reports nothing" lintian --fail-on error,warning,info --pedantic --display-info "$deb"
  # The package's paths that exist now, before it is installed.
  paths="$(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^/\?$')"
  existing() { while IFS= read -r path; do [ -e "$path" ] && echo "$path"; done <<< "$paths" | LC_ALL=C sort; }
  before="$(existing)"
  plugin="/usr/lib/vst/ZEB Aldermark.so"
  manual=/usr/share/doc/zeb-aldermark/manual/index.html
  check "dpkg -i" dpkg -i "$deb" > /dev/null
  check "package: plug-in and manual in place" test -f "$plugin" -a -f "$manual"
  check "package: aldermark and the live meter's menu entry in place" \
    test -x /usr/bin/aldermark -a -f /usr/share/applications/aldermark-live.desktop
  check "package: the host loads the installed plug-in" loads "$plugin"
  check "package: LV2 hosts find the bundle in /usr/lib/lv2" \
    grep -qF "Bundle:            file:///usr/lib/lv2/zeb-aldermark.lv2/" <(env -u LV2_PATH HOME="$work/user" lv2info "$lv2_uri" 2> /dev/null)
  check "package: CLAP hosts find the plug-in in /usr/lib/clap" clap_in /usr/lib/clap
  mkdir -p "$work/user"
  check "package: the manual button opens the manual for any user" same "$(opened_by "$work/user" "$plugin")" "$manual"
  check "dpkg -r" dpkg -r zeb-aldermark > /dev/null
  conffile=/etc/xdg/Kestrune/ZEBDIALS300
  check "package: removed but for its configuration" same "$(existing)" \
    "$(printf '%s\n' "$before" /etc/xdg/Kestrune "$conffile" | grep -v '^$' | LC_ALL=C sort -u)"
  check "dpkg -P" dpkg -P zeb-aldermark > /dev/null
  check "package: nothing left after purge" same "$(existing)" "$before"
  dpkg -P zeb-aldermark > /dev/null 2>&1  # gone in any case
fi

summary "linux install tests"
