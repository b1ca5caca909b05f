#!/usr/bin/env bash
# install.sh [--system] [--uninstall]: builds the release plug-in, its manual and the aldermark
# program and installs them for this user (the plug-in into ~/.vst, the manual under
# ~/.local/share/doc, aldermark into ~/.local/bin with a menu entry for its live meter, the
# LV2 bundle into ~/.lv2, the CLAP plug-in into ~/.clap) or, with --system, for every user
# (/usr/lib/vst, /usr/local/lib/lv2, /usr/lib/clap, /usr/local/share/doc, /usr/local/bin;
# CLAP hosts scan no /usr/local folder). It writes "ManualPath" into
# the settings store (the user's, or with --system the system's defaults under /etc/xdg) so
# the editor's manual button opens the manual.
# --uninstall removes what the install put there: the plug-in, the manual, the folders it
# made and "ManualPath" while it still names this manual; every other setting stays.
# ALDERMARK_BUILD_DIR: the build to install from (default build/release, built as needed).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
settings=(python3 "$root/packaging/linux/settings_value.py")

system=0 uninstall=0
for arg in "$@"; do
  case "$arg" in
    --system) system=1 ;;
    --uninstall) uninstall=1 ;;
    -h|--help) sed -n '2,9s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) echo "install.sh: unknown option '$arg' (try --help)" >&2; exit 2 ;;
  esac
done

if [ "$system" -eq 1 ]; then
  vst_dir=/usr/lib/vst
  lv2_dir=/usr/local/lib/lv2
  clap_dir=/usr/lib/clap
  doc_dir=/usr/local/share/doc/zeb-aldermark
  store=/etc/xdg/Kestrune/ZEBDIALS300
  settings+=(--shared)
  bin_dir=/usr/local/bin
  share_dir=/usr/local/share
else
  : "${HOME:?install.sh: HOME is not set}"
  data_home="${XDG_DATA_HOME:-}"; [[ "$data_home" == /* ]] || data_home="$HOME/.local/share"
  config_home="${XDG_CONFIG_HOME:-}"; [[ "$config_home" == /* ]] || config_home="$HOME/.config"
  vst_dir="$HOME/.vst"
  lv2_dir="$HOME/.lv2"
  clap_dir="$HOME/.clap"
  doc_dir="$data_home/doc/zeb-aldermark"
  store="$config_home/Kestrune/ZEBDIALS300"
  bin_dir="$HOME/.local/bin"
  share_dir="$data_home"
fi
program="$bin_dir/aldermark"
desktop_entry="$share_dir/applications/aldermark-live.desktop"
icon="$share_dir/icons/hicolor/256x256/apps/aldermark-live.png"
plugin="$vst_dir/ZEB Aldermark.so"
lv2_bundle="$lv2_dir/zeb-aldermark.lv2"
clap_plugin="$clap_dir/ZEB Aldermark.clap"
manual="$doc_dir/manual/index.html"
made_list="$doc_dir/folders-made-by-install"

for owned in "$plugin" "$clap_plugin"; do
  if [ "$system" -eq 1 ] && dpkg-query -S "$owned" > /dev/null 2>&1; then
    echo "install.sh: $owned belongs to the Debian package; use apt to change it" >&2
    exit 1
  fi
done

if [ "$uninstall" -eq 1 ]; then
  rm -f "$plugin" "$clap_plugin" "$program" "$desktop_entry" "$icon"
  rm -rf "$lv2_bundle"
  rm -rf "$doc_dir/manual"
  "${settings[@]}" "$store" remove ManualPath "$manual" || echo "install.sh: ManualPath names another manual; left as it is"
  if [ -f "$made_list" ]; then
    mapfile -t made < "$made_list"
    rm -f "$made_list"
    for ((i = ${#made[@]} - 1; i >= 0; i--)); do rmdir "${made[i]}" 2> /dev/null || true; done
  fi
  echo "removed ZEB Aldermark from $vst_dir"
  exit 0
fi

build_dir="${ALDERMARK_BUILD_DIR:-$root/build/release}"
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake -G Ninja -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DALDERMARK_TESTS=OFF > /dev/null
fi
cmake --build "$build_dir" --target aldermark_plugin aldermark_lv2 aldermark_clap manual aldermark

# The folders this install makes (outermost first), so that uninstalling takes them away again.
missing_folders() {
  local folder="$1" list=()
  while [ ! -e "$folder" ]; do list=("$folder" "${list[@]}"); folder="$(dirname "$folder")"; done
  printf '%s\n' "${list[@]}"
}
made=()
[ -f "$made_list" ] && mapfile -t made < "$made_list"
for folder in "$vst_dir" "$lv2_dir" "$clap_dir" "$doc_dir" "$(dirname "$store")" "$bin_dir" "$(dirname "$desktop_entry")" "$(dirname "$icon")"; do
  while IFS= read -r line; do [ -n "$line" ] && made+=("$line"); done < <(missing_folders "$folder")
done
mkdir -p "$vst_dir" "$lv2_dir" "$clap_dir" "$doc_dir" "$bin_dir" "$(dirname "$desktop_entry")" "$(dirname "$icon")"
printf '%s\n' "${made[@]}" | awk 'NF && !seen[$0]++' > "$made_list"

install -m 0644 "$build_dir/bin/ZEB Aldermark.so" "$plugin"
install -m 0755 "$build_dir/bin/aldermark" "$program"
install -m 0644 "$build_dir/bin/clap/ZEB Aldermark.clap" "$clap_plugin"
rm -rf "$lv2_bundle"
cp -r "$build_dir/bin/lv2/zeb-aldermark.lv2" "$lv2_bundle"
chmod -R u=rwX,go=rX "$lv2_bundle"
# The menu starts the installed program with the installed plug-in, wherever they are.
sed "s|^Exec=aldermark live|Exec=\"$program\" live --plugin \"$plugin\"|" \
  "$root/packaging/linux/aldermark-live.desktop" > "$desktop_entry"
chmod 0644 "$desktop_entry"
install -m 0644 "$build_dir/resources/generated/aldermark-live.png" "$icon"
rm -rf "$doc_dir/manual"
cp -r "$build_dir/manual" "$doc_dir/manual"
chmod -R u=rwX,go=rX "$doc_dir/manual"
"${settings[@]}" "$store" set ManualPath "$manual"
echo "installed $plugin"
echo "LV2: $lv2_bundle"
echo "CLAP: $clap_plugin"
echo "manual: $manual"
echo "live meter: $program live (and in the menu: ZEB Aldermark Live Meter)"
