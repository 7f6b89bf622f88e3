# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
# The environment every Wine run of Pixelzaun shares, sourced by the scripts
# that start Wine: no debug output, no Mono or Gecko prompt, a 64-bit prefix,
# and German as the locale, so that Wine's own dialog labels and buttons are
# German as on the users' machines. Wine reads the language from the Unix
# locale of each process it starts; scripts/setup.sh generates the locale.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
export LC_ALL=de_DE.UTF-8
