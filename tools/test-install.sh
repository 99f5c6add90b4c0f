#!/bin/sh
# Installs the build into a temporary prefix, lets AppStream compose the software-centre data from
# it, and starts the installed launcher; succeeds when its main window appears with the class the
# desktop file names. Needs a display (run under xvfb-run -a).
set -e
build="$1"
prefix=$(mktemp -d /tmp/quillmate-install-XXXXXX)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null
test -x "$prefix/bin/quillmate"
test -f "$prefix/lib/quillmate/Quillmate-Toc.xml"
test -f "$prefix/share/applications/org.quillmate.Quillmate.desktop"
for size in 16 24 32 48 64 128 256; do
    test -f "$prefix/share/icons/hicolor/${size}x${size}/apps/org.quillmate.Quillmate.png"
done
test -f "$prefix/share/icons/hicolor/scalable/apps/org.quillmate.Quillmate.svg"
test -f "$prefix/share/man/man1/quillmate.1.gz"
test -f "$prefix/share/doc/quillmate/copyright"
if command -v appstreamcli > /dev/null 2>&1 && [ -x /usr/libexec/appstreamcli-compose ]; then
    # Icons, desktop file and metadata as a software centre reads them from a package.
    mkdir "$prefix/root" && cp -r "$prefix/share" "$prefix/root/"
    (cd "$prefix/root" && appstreamcli compose --no-net --result-root="$prefix/composed" --origin=quillmate \
        --prefix=/ .) || { echo "appstreamcli compose failed"; exit 1; }
fi
# The first preferences sit with the configuration, linked from the program folder.
test "$(readlink "$prefix/lib/quillmate/QuillmateViewer.ini")" = "$prefix/etc/quillmate/QuillmateViewer.ini"
grep -q "db-path=$prefix/lib/quillmate/Quillmate-Toc.xml" "$prefix/lib/quillmate/QuillmateViewer.ini"
grep -q "^CodeMarks=2$" "$prefix/lib/quillmate/QuillmateViewer.ini"
GSETTINGS_BACKEND=memory "$prefix/bin/quillmate" &
pid=$!
for _ in $(seq 1 300); do
    if window=$(xdotool search --all --onlyvisible --pid "$pid" --name '^Quillmate$' 2> /dev/null); then
        class=$(sed -n 's/^StartupWMClass=//p' "$prefix/share/applications/org.quillmate.Quillmate.desktop")
        xprop -id "$(echo "$window" | head -n 1)" WM_CLASS | grep -q "\"$class\", \"$class\"" ||
            { echo "WM_CLASS is not \"$class\": $(xprop -id "$window" WM_CLASS)"; exit 1; }
        echo "The installed launcher shows the main window."
        exit 0
    fi
    kill -0 "$pid" 2>/dev/null || { echo "The installed program ended early."; exit 1; }
    sleep 0.1
done
echo "No main window appeared."
exit 1
