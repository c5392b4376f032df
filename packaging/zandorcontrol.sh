#!/bin/sh
# Starts the desktop program in the user's data directory, where it keeps
# the supply's configuration file, creating the directory on first start.
# The program is found beside the launcher, wherever the package was unpacked.
set -e
data="${XDG_DATA_HOME:-$HOME/.local/share}/Korvat/Zandorcontrol"
mkdir -p "$data"
cd "$data"
exec "$(dirname "$(readlink -f "$0")")/../libexec/zandorcontrol/zandorcontrol" "$@"
