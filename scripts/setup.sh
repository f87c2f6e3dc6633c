#!/usr/bin/env bash
# Installs the Debian packages Lumigram needs (scripts/debian-packages.txt, or
# the list named by LUMIGRAM_PACKAGES).
# Runs apt-get only when something is missing, so repeated runs are quick.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
list=${LUMIGRAM_PACKAGES:-$here/debian-packages.txt}
mapfile -t wanted < <(grep -vE '^\s*(#|$)' "$list")
missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
