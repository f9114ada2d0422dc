# Debian packages the instrument needs to build, run and test on a PC.
# Sourced by run.sh and test.sh; installs only what is missing.
VARNOK_PACKAGES="cmake g++ make pkg-config
 qtbase5-dev qtdeclarative5-dev libqt5websockets5-dev
 qml-module-qtquick2 qml-module-qtquick-window2 qml-module-qtquick-controls
 qml-module-qtquick-layouts qml-module-qtquick-extras qml-module-qtqml-models2
 qml-module-qtgraphicaleffects qml-module-qtquick-xmllistmodel
 qml-module-qt-labs-folderlistmodel qml-module-qtquick-dialogs
 qttools5-dev-tools qtdeclarative5-dev-tools
 libgtest-dev libgmock-dev libbenchmark-dev
 xvfb xauth libgl1-mesa-dri"

# Installs what is missing of VARNOK_PACKAGES and of the packages given as arguments.
varnok_install_deps() {
    local missing=""
    for p in $VARNOK_PACKAGES "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
}
