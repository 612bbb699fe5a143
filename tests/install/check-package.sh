#!/bin/sh
# check-package.sh destdir|deb BUILD_DIR
#   destdir: `cmake --install` into a scratch DESTDIR with prefix /usr, then checks the tree:
#            the files and links, the desktop entry and AppStream metadata (validated when the
#            validators are installed), and the installed `lotwarden --version`.
#   deb:     `cpack -G DEB`, then `dpkg-deb -I/-c`, unpacks it with `dpkg -x`, runs the same
#            checks on the unpacked tree, and, as root, `dpkg -i`, starts the installed desktop
#            program offscreen on the installed sample, and `dpkg -r` must leave nothing behind.
set -eu
mode=$1
build=$(cd "$2" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

check_tree() {
    root=$1
    for f in usr/bin/Lotward usr/bin/lotwarden usr/libexec/lotwarden/Lotward usr/libexec/lotwarden/lotwarden \
             usr/libexec/lotwarden/Lotward.dat usr/libexec/lotwarden/Blank.html usr/libexec/lotwarden/Lotward.fr \
             usr/share/lotwarden/Sample.lwd usr/share/lotwarden/Exemple.lwd \
             usr/share/applications/Lotward.desktop usr/share/mime/packages/lotwarden.xml \
             usr/share/metainfo/com.ashgrove.lotwarden.metainfo.xml \
             usr/share/icons/hicolor/scalable/apps/lotwarden.svg \
             usr/share/icons/hicolor/48x48/apps/lotwarden.png \
             usr/share/icons/hicolor/scalable/mimetypes/application-x-lotwarden.svg; do
        [ -e "$root/$f" ] || fail "missing $f"
    done
    [ -L "$root/usr/bin/Lotward" ] || fail "usr/bin/Lotward is not a link"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$root/usr/share/applications/Lotward.desktop" || fail "desktop entry"
    fi
    if command -v appstreamcli >/dev/null; then
        appstreamcli validate --no-net "$root/usr/share/metainfo/com.ashgrove.lotwarden.metainfo.xml" >/dev/null ||
            fail "AppStream metadata"
    fi
    version=$("$root/usr/bin/lotwarden" --version) || fail "lotwarden --version"
    case "$version" in *1.*) ;; *) fail "unexpected version: $version" ;; esac
    # The data files are found through the links beside the program.
    "$root/usr/bin/lotwarden" show "$root/usr/share/lotwarden/Sample.lwd" >/dev/null || fail "lotwarden show Sample.lwd"
}

case $mode in
destdir)
    DESTDIR=$scratch/root cmake --install "$build" --prefix /usr >/dev/null
    check_tree "$scratch/root"
    ;;
deb)
    (cd "$build" && cpack -G DEB >/dev/null)
    deb=$(ls -t "$build"/lotwarden_*.deb | head -1)
    dpkg-deb -I "$deb"
    dpkg-deb -c "$deb" > "$scratch/contents"
    grep -q " ./usr/bin/Lotward -> " "$scratch/contents" || fail "no usr/bin/Lotward in the package"
    dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "dependencies were not found"
    dpkg -x "$deb" "$scratch/root"
    check_tree "$scratch/root"
    file -L "$scratch/root/usr/libexec/lotwarden/Lotward" | grep -q 'stripped' || fail "not stripped"
    file -L "$scratch/root/usr/libexec/lotwarden/Lotward" | grep -q 'not stripped' && fail "not stripped"
    if [ "$(id -u)" = 0 ] && [ "${LW_DEB_INSTALL:-1}" = 1 ]; then
        before=$scratch/before
        find /usr /etc -xdev 2>/dev/null | sort > "$before"
        dpkg -i "$deb" >/dev/null
        /usr/bin/lotwarden --version
        # The desktop program must come up on the sample and keep running until stopped.
        home=$scratch/home
        mkdir -p "$home"
        HOME=$home XDG_CONFIG_HOME=$home/.config QT_QPA_PLATFORM=offscreen /usr/bin/Lotward /usr/share/lotwarden/Sample.lwd &
        pid=$!
        tries=0
        while [ $tries -lt 20 ] && kill -0 $pid 2>/dev/null; do sleep 0.5; tries=$((tries + 1)); done
        kill -0 $pid 2>/dev/null || fail "Lotward ended on the installed sample"
        kill $pid; wait $pid 2>/dev/null || true
        dpkg -r lotwarden >/dev/null
        find /usr /etc -xdev 2>/dev/null | sort > "$scratch/after"
        # The caches the triggers rebuild stay (their content no longer names Lotwarden).
        extra=$(comm -13 "$before" "$scratch/after" | grep -v -e '/mime/' -e 'mimeinfo.cache' -e 'icon-theme.cache' || true)
        [ -z "$extra" ] || fail "left behind after dpkg -r: $extra"
        grep -rqs x-lotwarden /usr/share/mime/globs2 && fail "the document type stayed in the MIME database"
    fi
    ;;
*) fail "unknown mode $mode" ;;
esac
echo "check-package $mode: OK"
