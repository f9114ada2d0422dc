# Debian packages the instrument needs to build, run and test on a PC, and the compiler cache
# the builds use where one is installed.
# Sourced by run.sh, test.sh and fuzz.sh; installs only what is missing.
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

# Sets VARNOK_CACHE_ARGS to the CMake arguments of the compiler cache: ccache where it is
# installed (a later build of the same sources, in any checkout, takes its objects from the
# cache), none elsewhere; naming none also clears a launcher an older configuration chose.
varnok_compiler_cache() {
    local launcher=""
    if command -v ccache >/dev/null; then
        launcher=ccache
        export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
        # The precompiled headers are cached with the objects that use them.
        export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
    fi
    VARNOK_CACHE_ARGS=(-DCMAKE_C_COMPILER_LAUNCHER="$launcher" -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher")
}
