# Shared by scripts/test and scripts/demo: install the Debian packages the
# project needs, and only those that are missing.
IAS_PACKAGES=(
    build-essential cmake ninja-build pkg-config clang-format
    libpcsclite-dev pcscd vsmartcard-vpcd libssl-dev
    googletest libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev libcli11-dev
    openssl python3 procps pcsc-tools ccache doxygen
    libp11-kit-dev p11-kit opensc gnutls-bin python3-pykcs11 libnss3-tools
    libengine-pkcs11-openssl
)

ias_install_deps() {
    local missing=()
    for p in "${IAS_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    # A fresh machine has no package lists yet; an old list may name files
    # that are gone, so refresh once and retry on failure.
    if ! $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"; then
        $sudo apt-get update -q
        $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
    fi
}
