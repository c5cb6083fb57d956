#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and starts Tovimaru in samples/ (its pictures fill the
# gallery, and the phrases are kept there in tovi.mdb).
set -euo pipefail
cd "$(dirname "$0")"
scripts/prepare.sh
cd samples
exec ../build/app/tovimaru
