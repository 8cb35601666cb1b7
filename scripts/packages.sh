# Installs the Debian packages given as arguments that are not installed yet (sourced).
install_missing() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# What building and running the programs needs; qt6-translations-l10n: Qt's own dialogs in Russian.
BUILD_PACKAGES=(cmake make g++ libgtest-dev qt6-base-dev libgl-dev fonts-dejavu-core
    qt6-translations-l10n)
