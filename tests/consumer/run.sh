#!/usr/bin/env bash
# Builds the consumer host outside the tree against installed vindra, four ways, and runs each:
#   1. CMake find_package against a Linux install prefix;  2. pkg-config against the same prefix;
#   3. mingw-w64 g++ against the Windows zip (libvindra.dll.a), run under Wine;
#   4. clang in Microsoft mode and lld-link against the zip's vindra.lib, run under Wine.
# Usage: run.sh LINUX_PREFIX WINDOWS_ZIP   (needs DISPLAY, and WINEPREFIX for the Windows hosts)
set -euo pipefail
prefix=$(realpath "$1") zip=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "-- consumer 1: CMake find_package(vindra 1.0)"
cmake -S "$here" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake" >/dev/null
"$work/cmake/consumer_host"

if cmake -S "$here" -B "$work/major2" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" -DVINDRA_VERSION_WANTED=2.0 \
    >"$work/major2.log" 2>&1 || ! grep -q "that is compatible" "$work/major2.log"; then
  echo "consumer: asking for vindra 2.0 did not give CMake's version error"; cat "$work/major2.log"; exit 1
fi

echo "-- consumer 2: pkg-config vindra"
g++ -std=c++17 "$here/consumer_host.cpp" -o "$work/pkgconfig_host" \
  $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs vindra) -Wl,-rpath,"$prefix/lib"
"$work/pkgconfig_host"

unzip -q "$zip" -d "$work/zip"
windows=$(echo "$work"/zip/*)
cp "$windows"/bin/*.dll "$work/"
echo "-- consumer 3: mingw-w64 g++ against libvindra.dll.a, under Wine"
x86_64-w64-mingw32-g++-posix -std=c++17 -static "$here/consumer_host.cpp" -I"$windows/include" \
  -L"$windows/lib" -lvindra -o "$work/mingw_host.exe"
(cd "$work" && WINEDEBUG=-all wine mingw_host.exe)

echo "-- consumer 4: clang in Microsoft mode and lld-link against vindra.lib, under Wine"
mingw=/usr/x86_64-w64-mingw32
for source in "$here/consumer_host.cpp" "$here/../msvc_host/msvc_runtime.cpp"; do
  clang --target=x86_64-pc-windows-msvc -std=c++17 -O1 -fno-rtti -fno-exceptions -D__USE_MINGW_ANSI_STDIO=0 \
    -include "$here/../msvc_host/msvc_mode.h" -isystem "$mingw/include" -I"$windows/include" \
    -c "$source" -o "$work/$(basename "$source" .cpp).obj"
done
lld-link /nologo /out:"$work/msvc_host.exe" /entry:mainCRTStartup /subsystem:console /nodefaultlib \
  "$work/consumer_host.obj" "$work/msvc_runtime.obj" "$windows/lib/vindra.lib" \
  "$mingw/lib/libmsvcrt.a" "$mingw/lib/libkernel32.a"
(cd "$work" && WINEDEBUG=-all wine msvc_host.exe)
echo "-- consumers: all four drew their frame"
