#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR and checks what a desktop install
# needs; builds the .deb and checks its files and dependencies; runs the
# installed lumigram-cli; checks the desktop launcher.
#   install_test.sh BUILD-DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
root="$work/root/usr"
expected=(
  bin/lumigram bin/lumigram-cli bin/lumigram-launcher libexec/lumigram/lumigram-thumbnail
  share/applications/org.lumigram.Lumigram.desktop
  share/metainfo/org.lumigram.Lumigram.metainfo.xml
  share/icons/hicolor/scalable/apps/org.lumigram.Lumigram.svg
  share/man/man1/lumigram-cli.1
  share/bash-completion/completions/lumigram-cli
  share/mime/packages/lumigram.xml
  share/thumbnailers/lumigram.thumbnailer
)
for size in 16 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/org.lumigram.Lumigram.png")
done
for file in "${expected[@]}"; do
  check "installs $file" test -f "$root/$file"
done
check "programs are executable" test -x "$root/bin/lumigram" -a -x "$root/bin/lumigram-launcher"
check "installed lumigram-cli --version runs" "$root/bin/lumigram-cli" --version
printf 'BM\106\0\0\0\0\0\0\0\066\0\0\0\050\0\0\0\002\0\0\0\002\0\0\0\001\0\030\0\0\0\0\0\020\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0' >"$work/demo.bmp"
printf '\0\0\377\377\0\0\0\0\377\0\377\377\377\377\0\0' >>"$work/demo.bmp"
"$root/bin/lumigram-cli" encode "$work/demo.bmp" "$work/demo.k"
check "installed lumigram-cli thumbnail finds its writer" "$root/bin/lumigram-cli" thumbnail "$work/demo.k" "$work/demo.png" 16
check "the thumbnail is a PNG" sh -c "head -c 4 '$work/demo.png' | grep -q PNG"

if command -v desktop-file-validate >/dev/null; then
  check "desktop entry validates" desktop-file-validate "$root/share/applications/org.lumigram.Lumigram.desktop"
else
  echo "skipped: desktop-file-validate is not installed"
fi
if command -v appstreamcli >/dev/null; then
  check "AppStream metainfo validates" appstreamcli validate --no-net "$root/share/metainfo/org.lumigram.Lumigram.metainfo.xml"
else
  echo "skipped: appstreamcli is not installed"
fi
check "man page renders" sh -c "man -l '$root/share/man/man1/lumigram-cli.1' >/dev/null 2>&1 || groff -man -Tutf8 '$root/share/man/man1/lumigram-cli.1' >/dev/null 2>&1 || grep -q '^.TH LUMIGRAM-CLI' '$root/share/man/man1/lumigram-cli.1'"
check "bash completion loads" bash -c "source '$root/share/bash-completion/completions/lumigram-cli' && complete -p lumigram-cli"

# The Debian package.
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/*.deb)
contents=$(dpkg-deb -c "$deb")
for file in usr/bin/lumigram usr/bin/lumigram-cli usr/bin/lumigram-launcher usr/libexec/lumigram/lumigram-thumbnail \
            usr/share/applications/org.lumigram.Lumigram.desktop usr/share/thumbnailers/lumigram.thumbnailer; do
  check ".deb holds $file" grep -q "\./$file\$" <<<"$contents"
done
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins; do
  check ".deb depends on $package" grep -q "$package" <<<"$depends"
done

# The desktop entry starts the window itself, with the files it is given, for
# skin pictures and skin packages alike.
desktop="$root/share/applications/org.lumigram.Lumigram.desktop"
check "desktop entry starts lumigram with its files" grep -qx 'Exec=lumigram %F' "$desktop"
check "desktop entry opens skin pictures and packages" \
  grep -qx 'MimeType=image/x-lumigram-skin;application/x-lumigram-skin-package;' "$desktop"
mime="$root/share/mime/packages/lumigram.xml"
check "MIME type of skin packages" grep -q 'type="application/x-lumigram-skin-package"' "$mime"
check "skin packages are told by name and by content" \
  sh -c "grep -q 'pattern=\"\*.ezx\"' '$mime' && grep -q 'value=\"motoskin\"' '$mime'"
if command -v xmllint >/dev/null; then
  check "MIME file is well-formed" xmllint --noout "$mime"
fi

# The launcher, kept for older desktop entries: it starts the window in the
# caller's folder with the caller's arguments. A stand-in "lumigram" beside it
# reports where and with what.
mkdir -p "$work/launch" "$work/here"
cp "$root/bin/lumigram-launcher" "$work/launch/"
printf '#!/bin/sh\npwd > "%s/started-in"\necho "$@" > "%s/arguments"\n' "$work" "$work" >"$work/launch/lumigram"
chmod +x "$work/launch/lumigram"
(cd "$work/here" && "$work/launch/lumigram-launcher" pic.k)
check "launcher starts the window in the caller's folder" test "$(cat "$work/started-in")" = "$work/here"
check "launcher passes the files on" test "$(cat "$work/arguments")" = "pic.k"

echo "$failures failed"
[ "$failures" -eq 0 ]
