#!/usr/bin/env bash
# A build without the window (-DLUMIGRAM_BUILD_GUI=OFF) installs lumigram-cli,
# its man page and bash completion, and nothing of the desktop's; its .deb and
# tarball hold the same, and the .deb needs no Qt.
#   install_cli_only_test.sh BUILD-DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}
expected=$'bin/lumigram-cli\nshare/bash-completion/completions/lumigram-cli\nshare/man/man1/lumigram-cli.1'

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
installed=$(cd "$work/root/usr" && find . -type f | sed 's|^\./||' | sort)
check "installs lumigram-cli, its man page and completion, nothing else" \
  test "$installed" = "$expected"
check "installed lumigram-cli --version runs" "$work/root/usr/bin/lumigram-cli" --version

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G "DEB;TGZ" -B "$work/packages" >/dev/null)
deb=$(ls "$work"/packages/*.deb)
in_deb=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\/usr\//, "", $NF); print $NF }' | sort)
check ".deb holds the same files under /usr" test "$in_deb" = "$expected"
check ".deb needs no Qt" sh -c "! dpkg-deb -f '$deb' Depends | grep -q qt"
tgz=$(ls "$work"/packages/*.tar.gz)
in_tgz=$(tar -tzf "$tgz" | grep -v '/$' | cut -d/ -f2- | sort)
check "tarball holds the same files in one folder" test "$in_tgz" = "$expected"

echo "$failures failed"
[ "$failures" -eq 0 ]
