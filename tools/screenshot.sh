#!/bin/sh
# Takes the README's screenshot of the main window on the sample library under Xvfb:
# build first (sh tools/build.sh), then run this; writes docs/screenshot.png.
set -e
cd "$(dirname "$0")/.."
folder=$(mktemp -d /tmp/quillmate-shot-XXXXXX)
trap 'kill $pid $xvfb 2>/dev/null || true; rm -rf "$folder"' EXIT
cp -r build/Quillmate/. "$folder/"
printf '\357\273\277\ndb-path=%s/Quillmate-Toc.xml\nLib-path=\nabout=1\nLanguage=0\nSearchHint=0\nSearchMode=0\nCodeMarks=2\nFontName=Monospace\nFontSize=10\nSavePaths=1\nSourceInTitle=1\nSaveWinSetting=0\nDyeingNews=1\nDarkMode=0\nCodeEditorPath=\nLineNumbers=0\nZoom=3\nWinX=0\nWinY=0\nWinWidth=1000\nWinHight=680\nSplitter=330\n' "$folder" > "$folder/QuillmateViewer.ini"
Xvfb :77 -screen 0 1000x680x24 > /dev/null 2>&1 &
xvfb=$!
sleep 1
DISPLAY=:77 GSETTINGS_BACKEND=memory "$folder/quillmate" &
pid=$!
sleep 3
# Show one example: move down the tree to the fifth entry.
for _ in 1 2 3 4 5 6 7; do DISPLAY=:77 xdotool key --clearmodifiers Down; sleep 0.2; done
DISPLAY=:77 xdotool key --clearmodifiers Tab
sleep 1
mkdir -p docs
DISPLAY=:77 import -window root docs/screenshot.png
echo "Wrote docs/screenshot.png"
