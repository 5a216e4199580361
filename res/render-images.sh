#!/bin/sh
# Renders the images in res/ from their SVG sources in res/src/.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert; the rendered
# files are committed, so a normal build never runs this.
set -eu
cd "$(dirname "$0")"
render() { rsvg-convert -w "$2" -h "$3" "src/$1.svg" -o "$4"; }
render logo 512 512 zarvel-logo.png
render settings 422 422 settings.png
render folder 230 290 folder.png
render folder_with_outline 236 298 folder_with_outline.png
render back 129 127 back.png
render empty 128 117 empty.png
render document 64 64 document.png
# The logo at the sizes menus and trays ask for, so that no start decodes
# the large one.
for s in 16 22 24 32 48 64 128 256; do
    render logo "$s" "$s" "logo/zarvel-logo-$s.png"
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for s in 16 20 24 32 40 48 64 128 256; do
    render logo "$s" "$s" "$tmp/logo-$s.png"
done
/usr/bin/convert "$tmp"/logo-16.png "$tmp"/logo-20.png "$tmp"/logo-24.png "$tmp"/logo-32.png \
    "$tmp"/logo-40.png "$tmp"/logo-48.png "$tmp"/logo-64.png "$tmp"/logo-128.png \
    "$tmp"/logo-256.png -define icon:format=png zarvel-logo.ico
# Keep the committed files small.
if command -v optipng >/dev/null 2>&1; then optipng -quiet -o2 ./*.png logo/*.png; fi
