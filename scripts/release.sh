#!/usr/bin/env bash
# Makes a release from this source tree in one command:
#   build/windows/polytree-<version>-win64.zip         polytree.exe, polytree.scr, README.md, LICENSE
#   build/windows/polytree-<version>-win64.zip.sha256  its SHA-256, for sha256sum -c
#   build/windows/polytree-<version>-win64-setup.exe   the installer (NSIS), and its .sha256
#   build/windows/PolyTree.PolyTree*.yaml, polytree.json
#                                   winget's and Scoop's manifests, with --download-url only
#   build/web/polytree-<version>-web.zip               the web page's folder, for any static host
#   build/web/polytree-<version>-web.zip.sha256        its SHA-256
#   build/release/polytree_<version>_amd64.deb         the Linux programs as a Debian package
#   build/release/polytree_<version>_amd64.deb.sha256  its SHA-256
# The zip and the package come from CPack. Each build folder is configured
# afresh so that no flags are left over from an older configuration.
# --without-deb leaves the Debian package out (the reproducibility check: a
# third build in each of its two copies would double its time).
# --download-url ADDRESS: the folder the files will be downloaded from, for
# the manifests; --homepage ADDRESS: the project's page in them (default:
# the download address).
set -euo pipefail
cd "$(dirname "$0")/.."
deb=yes
download_url=""
homepage=""
while [ "$#" -gt 0 ]; do
  case "$1" in
    --without-deb) deb=no ;;
    --download-url) download_url="${2:?--download-url needs an address}"; shift ;;
    --homepage) homepage="${2:?--homepage needs an address}"; shift ;;
    *) echo "release: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
version="$(sed -n 's/^project(PolyTree VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"

bash scripts/setup.sh
cmake --preset windows --fresh
cmake --build --preset windows -j "$(nproc)" --target package

cd build/windows
# CPack names the file only; sha256sum -c checks it where the zip is.
for checksum in polytree-*-win64.zip.sha256; do
  sha256sum -c "$checksum"
  echo "release: $PWD/${checksum%.sha256}"
  echo "release: $PWD/$checksum"
done
# The installer, made by the same build.
setup="polytree-$version-win64-setup.exe"
sha256sum "$setup" >"$setup.sha256"
sha256sum -c "$setup.sha256"
echo "release: $PWD/$setup"
echo "release: $PWD/$setup.sha256"
rm -f PolyTree.PolyTree*.yaml polytree.json
if [ -n "$download_url" ]; then
  python3 ../../packaging/windows/manifests.py --folder . --url "$download_url" ${homepage:+--homepage "$homepage"}
else
  echo "release: no winget or Scoop manifest: give --download-url ADDRESS to make them"
fi

# The web page: the folder build/web/page as polytree-<version>-web/.
cd ../..
cmake --preset web --fresh
cmake --build --preset web -j "$(nproc)"
name="polytree-$version-web"
cd build/web
rm -rf "$name" "$name.zip" "$name.zip.sha256"
cp -r page "$name"
cmake -E tar cf "$name.zip" --format=zip "$name"
rm -rf "$name"
sha256sum "$name.zip" >"$name.zip.sha256"
sha256sum -c "$name.zip.sha256"
echo "release: $PWD/$name.zip"
echo "release: $PWD/$name.zip.sha256"

# The Debian package, from the release preset (Debian's hardening flags).
if [ "$deb" = yes ]; then
  cd ../..
  cmake --preset release --fresh
  cmake --build --preset release -j "$(nproc)"
  cd build/release
  rm -f polytree_*.deb polytree_*.deb.sha256
  cpack -G DEB
  for package in polytree_*.deb; do
    sha256sum "$package" >"$package.sha256"
    sha256sum -c "$package.sha256"
    echo "release: $PWD/$package"
    echo "release: $PWD/$package.sha256"
  done
fi
