#!/usr/bin/env bash
# Makes a release from this source tree in one command:
#   build/windows/polytree-<version>-win64.zip         polytree.exe, polytree.scr, README.md, LICENSE
#   build/windows/polytree-<version>-win64.zip.sha256  its SHA-256, for sha256sum -c
#   build/web/polytree-<version>-web.zip               the web page's folder, for any static host
#   build/web/polytree-<version>-web.zip.sha256        its SHA-256
# The zip comes from CPack (cmake/windows_program.cmake). The build folder is
# configured afresh so that no flags are left over from an older configuration.
set -euo pipefail
cd "$(dirname "$0")/.."

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

# The web page: the folder build/web/page as polytree-<version>-web/.
cd ../..
cmake --preset web --fresh
cmake --build --preset web -j "$(nproc)"
version="$(sed -n 's/^project(PolyTree VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
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
