#!/bin/sh
# Installs the build into a temporary prefix and starts the installed launcher; succeeds when
# its main window appears. Needs a display (run under xvfb-run -a).
set -e
build="$1"
prefix=$(mktemp -d /tmp/quillmate-install-XXXXXX)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null
test -x "$prefix/bin/quillmate"
test -f "$prefix/lib/quillmate/Quillmate-Toc.xml"
test -f "$prefix/share/applications/org.quillmate.Quillmate.desktop"
test -f "$prefix/share/icons/hicolor/48x48/apps/org.quillmate.Quillmate.png"
grep -q "db-path=$prefix/lib/quillmate/Quillmate-Toc.xml" "$prefix/lib/quillmate/QuillmateViewer.ini"
grep -q "^CodeMarks=2$" "$prefix/lib/quillmate/QuillmateViewer.ini"
GSETTINGS_BACKEND=memory "$prefix/bin/quillmate" &
pid=$!
for _ in $(seq 1 300); do
    if xdotool search --onlyvisible --pid "$pid" --name '^Quillmate$' > /dev/null 2>&1; then
        echo "The installed launcher shows the main window."
        exit 0
    fi
    kill -0 "$pid" 2>/dev/null || { echo "The installed program ended early."; exit 1; }
    sleep 0.1
done
echo "No main window appeared."
exit 1
