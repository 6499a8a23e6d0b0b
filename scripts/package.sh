#!/usr/bin/env bash
# Builds the Debian package kalvor2 from a clean copy of the sources (the
# files git knows, never a build folder) and checks it with lintian, which
# fails the run on any error or warning. Installs the packaging tools and the
# build dependencies first (as root, or through sudo).
#
# The results land in build-deb/ (or $KALVOR2_DEB_DIR): the .deb, the source
# package and the .changes. The build runs on two cores without the test
# suite (scripts/test.sh runs that); DEB_BUILD_OPTIONS overrides both.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out="${KALVOR2_DEB_DIR:-$root/build-deb}"
export DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:-parallel=2 nocheck}"
# Without the tests, their build dependencies are not needed either: the
# build profile nocheck leaves them out.
profile=()
case " $DEB_BUILD_OPTIONS " in
*" nocheck "*) profile=(--build-profiles=nocheck) ;;
esac

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
tools=(dpkg-dev debhelper lintian fakeroot xz-utils)
missing=()
for p in "${tools[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
updated=no
if [ ${#missing[@]} -gt 0 ]; then
    $sudo apt-get update -qq
    updated=yes
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if ! dpkg-checkbuilddeps "${profile[@]/#--build-profiles=/-P}" debian/control 2>/dev/null; then
    [ $updated = yes ] || $sudo apt-get update -qq
    $sudo apt-get build-dep -y -qq --no-install-recommends "${profile[@]}" "$root"
fi

version=$(dpkg-parsechangelog -S Version)
upstream=${version%-*}
source=$(dpkg-parsechangelog -S Source)
tree="$out/$source-$upstream"
rm -rf "$out"
mkdir -p "$tree"

# The clean copy: every file git tracks or would add (so uncommitted work is
# packaged too), as it is in the working tree.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard --deduplicate \
        | while IFS= read -r -d '' file; do
            if [ -e "$file" ] || [ -L "$file" ]; then printf '%s\0' "$file"; fi
        done \
        | tar --null -T - -cf - | tar -xf - -C "$tree"
else
    tar --exclude='./build*' --exclude='./.git' -cf - . | tar -xf - -C "$tree"
fi
# The upstream tarball is that copy without debian/, reproducible.
tar -C "$out" --exclude="$source-$upstream/debian" --sort=name --owner=0 --group=0 \
    --numeric-owner --mtime="@$(dpkg-parsechangelog -S Timestamp)" \
    -cJf "$out/${source}_$upstream.orig.tar.xz" "$source-$upstream"

(cd "$tree" && dpkg-buildpackage -us -uc "${profile[@]}")
rm -rf "$tree"

changes=$(ls "$out"/"${source}_${version}"_*.changes)
echo "lintian $(lintian --version | sed 's/^Lintian v//') on $changes:"
lintian -I --fail-on error,warning "$changes"
echo "lintian: no errors, no warnings. Overrides, each with its reason:"
cat debian/*lintian-overrides debian/source/lintian-overrides 2>/dev/null || true

echo "Package built:"
ls "$out"/*.deb
