# Builds for 32-bit x86 Linux with Debian's cross compiler (g++-i686-linux-gnu)
# against the libraries of Debian's i386 packages (zlib1g-dev:i386 and the
# like, installed beside the 64-bit ones under /usr/lib/i386-linux-gnu).
#
#   cmake -S . -B build-i686 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/i686-linux-gnu.cmake
#
# An x86-64 kernel runs the results directly, so tests (and the test
# discovery that runs them at build time) need no emulator.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)

# Floating point in SSE registers, as on x86-64: the x87 unit keeps
# intermediates in 80 bits and so rounds differently, and the files the two
# platforms write must not differ.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

# Debian's multiarch folder for i386: find_library, find_path and the
# config files of find_package look under lib/i386-linux-gnu first.
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

# The 64-bit copies of the same libraries must never be taken instead.
set(CMAKE_IGNORE_PATH
    /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu
    /usr/lib/x86_64-linux-gnu/cmake /usr/include/x86_64-linux-gnu
    /usr/lib/x86_64-linux-gnu/pkgconfig)

# pkg-config reads only the i386 package descriptions (and the
# architecture-independent ones).
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig")
unset(ENV{PKG_CONFIG_PATH})

