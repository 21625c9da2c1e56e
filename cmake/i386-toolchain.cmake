# Builds for i386 (32-bit x86) on an x86-64 Debian machine with the multilib
# compilers and the i386 libraries of Debian's multiarch layout
# (scripts/build-i386 adds the architecture and installs them).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

# The target's options belong to the compiler itself, so that flags given on
# the command line (CMAKE_CXX_FLAGS) add to them instead of replacing them.
# Doubles are computed with SSE2, as on x86-64: the x87 unit's 80-bit
# intermediates would round some conversions differently from the x86-64
# build, so the same text could read as another double.
set(KIV_I386_OPTIONS -m32 -msse2 -mfpmath=sse)
set(CMAKE_C_COMPILER gcc ${KIV_I386_OPTIONS})
set(CMAKE_CXX_COMPILER g++ ${KIV_I386_OPTIONS})

# Libraries and packages of the i386 architecture; programs (pkg-config,
# npm) of the build machine, which also runs the i386 tests.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig)
set(CMAKE_CROSSCOMPILING_EMULATOR "")
