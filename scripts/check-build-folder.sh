#!/usr/bin/env bash
# Checks that this account can write the build folder a command is about to build in, before
# anything is installed or built. A folder left behind by a run as root is not writable by
# anyone else, and CMake would answer with dozens of errors; this says which path is in the
# way and how to make it yours, and fails.
# Usage, from the project's folder: bash scripts/check-build-folder.sh [FOLDER]
# (default build/release, the folder of the release preset)
set -euo pipefail
folder=${1:-build/release}

# The nearest existing folder on the way to it must be writable to make the rest; an existing
# build folder must be writable throughout (its files are rewritten, its folders get new ones).
existing=$folder
while [ ! -e "$existing" ]; do
  existing=$(dirname "$existing")
done
if [ ! -e "$folder" ]; then
  [ -d "$existing" ] && [ -w "$existing" ] && [ -x "$existing" ] && exit 0
  blocked=$existing
else
  blocked=$(find "$folder" \( ! -writable -o -type d ! -executable \) -print -quit 2>/dev/null) || true
  [ -z "$blocked" ] && [ -w "$folder" ] && exit 0
  blocked=${blocked:-$folder}
fi

# What to hand over: the topmost folder of the build folder's path, or the project's folder
# when that is the one in the way.
top=${folder%%/*}
if [ "$blocked" = . ] || [ ! -e "$top" ]; then
  fix=$PWD
else
  fix=$top
fi
me=$(id -un)
owner=$(stat -c %U "$blocked" 2>/dev/null || echo "another account")
if [ "$fix" = "$PWD" ]; then
  what="this folder ($PWD)"
  cause="unpacked or cloned as root?"
else
  what=$blocked
  cause="left behind by a run as root?"
fi
if [ "$owner" = "$me" ]; then
  echo "$what is not writable, so nothing can be built in $folder." >&2
  echo "Make it writable and run your command again:" >&2
  echo "    chmod -R u+w $(printf '%q' "$fix")" >&2
  exit 1
fi
echo "This account ($me) cannot write $what, which belongs to $owner" >&2
echo "($cause), so nothing can be built in $folder." >&2
echo "Make it yours and run your command again:" >&2
echo "    sudo chown -R \"\$USER\" $(printf '%q' "$fix")" >&2
if [ "$fix" != "$PWD" ]; then
  echo "or remove it (the next run builds everything again, which takes a few minutes):" >&2
  echo "    sudo rm -rf $(printf '%q' "$fix")" >&2
fi
echo "Where sudo is not set up, run that as root with su (it asks for the root password):" >&2
echo "    su -c \"chown -R $me $(printf '%q' "$fix")\"" >&2
exit 1
