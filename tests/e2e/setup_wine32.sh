#!/bin/sh
# Prepares a Debian machine (as root) for the end-to-end tests: Wine with its
# 32-bit loader, Xvfb, xdotool, ImageMagick. Where the kernel cannot run
# 32-bit programs itself (booted without ia32 emulation, as some VMs are),
# 32-bit ELF files are handed to qemu-i386 through binfmt_misc, and the
# cross compiler for the harness's mmap shim is installed. Safe to run again.
set -eu

need=""
for p in wine wine32:i386 wine64 xvfb xdotool imagemagick x11-utils fonts-wine; do
    dpkg -s "$p" >/dev/null 2>&1 || need="$need $p"
done

# Does a 32-bit ELF run at all? ld-linux.so.2 comes with wine32's libc6:i386.
runs32() { [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
if [ -n "$need" ]; then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $need
fi

through_qemu() { grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null; }

if runs32 && ! through_qemu; then
    echo "32-bit programs run natively"
    exit 0
fi

extra=""
for p in qemu-user-static gcc-i686-linux-gnu libc6-dev-i386-cross gcc; do
    dpkg -s "$p" >/dev/null 2>&1 || extra="$extra $p"
done
if [ -n "$extra" ]; then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $extra
fi

if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
fi
if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    # ELF32, little endian, i386 executables and shared objects. F: qemu is
    # opened now, so it works in any mount namespace; P: argv[0] is kept.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:POCF' \
        > /proc/sys/fs/binfmt_misc/register
fi
if runs32; then
    echo "32-bit programs run through qemu-i386"
else
    echo "32-bit programs still cannot run" >&2
    exit 1
fi
