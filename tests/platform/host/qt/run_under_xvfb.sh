#!/bin/sh
# Runs a test binary against a virtual X server with the toolkit's X11 platform.
if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "skipped: xvfb-run is not installed"
    exit 0
fi
exec env QT_QPA_PLATFORM=xcb xvfb-run -a "$@"
