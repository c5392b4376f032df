# Cross-building for an ARM panel with Debian's multiarch packages
# (see README.md).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)
# The tests run here under user emulation; the armhf libraries installed by
# multiarch (/usr/lib/arm-linux-gnueabihf) serve them without a chroot.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm-static)
