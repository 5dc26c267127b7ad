#!/bin/sh
# Converts the committed artwork into the formats the Windows resource script takes: the icon
# (resource 128) as a .ico with its 32 x 32 and 256 x 256 images, the banner (resource 149)
# as a 24-bit BMP, which a static control shows as it is. Needs ImageMagick 6 (`convert`);
# the build only uses the committed results.
set -eu
cd "$(dirname "$0")"
convert ../icon-128.png ../icon-128-256.png icon-128.ico
convert ../banner-149.png -alpha off BMP3:banner-149.bmp
