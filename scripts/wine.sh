# Sourced by the scripts that run the Windows programs under Wine and drive them through X.
export WINEDEBUG=-all
# No .NET or browser engine: Wine would offer to download them on the first start.
export WINEDLLOVERRIDES="mscoree,mshtml="

# The virtual desktop that the program runs on in the GUI runs, the benchmark and the pictures.
wine_desktop=('HKCU\Software\Wine\Explorer|Desktop|Default'
    'HKCU\Software\Wine\Explorer\Desktops|Default|1024x600')

# A fresh prefix with Wine's fonts in its Fonts folder, so that every run sees the same faces.
new_prefix() {  # folder registry-settings...
    export WINEPREFIX=$1
    shift
    mkdir -p "$WINEPREFIX"
    wineboot -i > /dev/null 2>&1
    local setting
    for setting in "$@"; do
        IFS='|' read -r key name value <<< "$setting"
        wine reg add "$key" /v "$name" /d "$value" /f > /dev/null
    done
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
    # The settings are read when the server starts.
    wineserver -w
}

# Polls until a visible window of that exact name exists; prints its id.
wait_for_window() {  # name seconds
    local deadline=$((SECONDS + $2)) id
    while [ $SECONDS -lt "$deadline" ]; do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2> /dev/null | head -1) || true
        [ -n "$id" ] && echo "$id" && return 0
        sleep 0.3
    done
    return 1
}
