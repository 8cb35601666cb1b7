#!/usr/bin/env bash
# Renders packaging/icons/vantrel.svg into the committed PNG sizes and the Windows .ico. Run it
# after changing the drawing; the build uses the committed files and needs neither tool.
# Needs: librsvg2-bin (rsvg-convert), imagemagick.
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w $size -h $size vantrel.svg -o vantrel-$size.png
    # Stable bytes: no time stamps or other ancillary chunks.
    convert vantrel-$size.png -strip -define png:exclude-chunks=date,time PNG32:vantrel-$size.png
done
convert vantrel-16.png vantrel-24.png vantrel-32.png vantrel-48.png vantrel-64.png \
    vantrel-256.png vantrel.ico
