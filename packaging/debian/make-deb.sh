#!/usr/bin/env bash
# make-deb.sh BUILD_DIR OUT_DIR: the Debian package zeb-aldermark_<version>_amd64.deb from a
# native release build (its plug-ins, manual and aldermark program): the plug-in in /usr/lib/vst,
# the LV2 bundle in /usr/lib/lv2, the CLAP plug-in in /usr/lib/clap,
# the manual in /usr/share/doc/zeb-aldermark, the manual's path for every user in /etc/xdg,
# aldermark in /usr/bin with the live meter's menu entry and icon, dependencies (libjack
# among them) computed from both binaries by dpkg-shlibdeps. Prints the package's path.
# ALDERMARK_MAINTAINER overrides the Maintainer field.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$(cd "$1" && pwd)"
mkdir -p "$2"
out="$(cd "$2" && pwd)"
version="$(sed -n 's/^project(ZEBAldermark VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
maintainer="${ALDERMARK_MAINTAINER:-Kestrune <support@kestrune-zeb.com>}"
doc=usr/share/doc/zeb-aldermark

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
stage="$work/stage"
mkdir -p "$stage/DEBIAN" "$stage/usr/lib/vst" "$stage/$doc" "$work/debian" "$stage/usr/bin"

plugin="$stage/usr/lib/vst/ZEB Aldermark.so"
install -m 0644 "$build/bin/ZEB Aldermark.so" "$plugin"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$plugin"
lv2="$stage/usr/lib/lv2/zeb-aldermark.lv2"
mkdir -p "$stage/usr/lib/lv2"
cp -r "$build/bin/lv2/zeb-aldermark.lv2" "$lv2"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$lv2/zeb-aldermark.so"
clap="$stage/usr/lib/clap/ZEB Aldermark.clap"
install -D -m 0644 "$build/bin/clap/ZEB Aldermark.clap" "$clap"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$clap"
program="$stage/usr/bin/aldermark"
install -m 0755 "$build/bin/aldermark" "$program"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$program"
sed 's|^Exec=aldermark live|Exec=aldermark live --plugin "/usr/lib/vst/ZEB Aldermark.so"|' \
  "$root/packaging/linux/aldermark-live.desktop" > "$work/aldermark-live.desktop"
mkdir -p "$stage/usr/share/man/man1"
gzip -9n < "$here/aldermark.1" > "$stage/usr/share/man/man1/aldermark.1.gz"
install -D -m 0644 "$work/aldermark-live.desktop" "$stage/usr/share/applications/aldermark-live.desktop"
install -D -m 0644 "$build/resources/generated/aldermark-live.png" \
  "$stage/usr/share/icons/hicolor/256x256/apps/aldermark-live.png"
cp -r "$build/manual" "$stage/$doc/manual"
{ sed "s/@VERSION@/$version/" "$here/copyright.in"; cat "$build/resources/generated/ZEBAldermark-LICENSE.txt"; } \
  > "$stage/$doc/copyright"
sed -e "s/@VERSION@/$version/g" -e "s/@MAINTAINER@/$maintainer/" \
    -e "s/@DATE@/$(date -R -d "@$(git -C "$root" log -1 --format=%ct 2> /dev/null || date +%s)")/" \
    "$here/changelog.in" | gzip -9n > "$stage/$doc/changelog.gz"
install -D -m 0644 "$here/doc-base" "$stage/usr/share/doc-base/zeb-aldermark-manual"
python3 "$root/packaging/linux/settings_value.py" --shared "$stage/etc/xdg/Kestrune/ZEBDIALS300" \
  set ManualPath "/$doc/manual/index.html"
rm -f "$stage/etc/xdg/Kestrune/ZEBDIALS300.lock"
echo /etc/xdg/Kestrune/ZEBDIALS300 > "$stage/DEBIAN/conffiles"
find "$stage" -type d -exec chmod 0755 {} +
find "$stage" -type f ! -path "*/DEBIAN/*" -exec chmod 0644 {} +
chmod 0755 "$program"

# dpkg-shlibdeps reads the package's name from a control file of a source tree.
printf 'Source: zeb-aldermark\n\nPackage: zeb-aldermark\nArchitecture: amd64\n' > "$work/debian/control"
depends="$(cd "$work" && dpkg-shlibdeps -O "-e$plugin" "-e$lv2/zeb-aldermark.so" "-e$clap" "-e$program" 2> /dev/null | sed -n 's/^shlibs:Depends=//p')"
[ -n "$depends" ] || { echo "make-deb.sh: dpkg-shlibdeps found no dependencies" >&2; exit 1; }
size="$(du -sk --exclude=DEBIAN "$stage" | cut -f1)"
sed -e "s/@VERSION@/$version/" -e "s/@MAINTAINER@/$maintainer/" -e "s/@SIZE@/$size/" \
    -e "s/@DEPENDS@/$depends/" "$here/control.in" > "$stage/DEBIAN/control"
(cd "$stage" && find . -type f ! -path "./DEBIAN/*" ! -path "./etc/*" -printf '%P\0' | sort -z | xargs -0 md5sum) \
  > "$stage/DEBIAN/md5sums"
chmod 0644 "$stage/DEBIAN/"*

package="$out/zeb-aldermark_${version}_amd64.deb"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$package" > /dev/null
echo "$package"
