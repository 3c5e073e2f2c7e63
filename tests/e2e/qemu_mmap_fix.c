/*
 * LD_PRELOAD shim for 32-bit Wine running under qemu-i386 (user mode).
 *
 * qemu 7.2 does not implement MAP_FIXED_NOREPLACE: it treats the address as
 * a hint and returns some other free area instead of failing with EEXIST.
 * Wine's address-space reservation relies on that flag, takes the foreign
 * area as reserved and then bisects its way through gigabytes in 64 KiB
 * steps, which makes every 32-bit Wine process take about 50 s to start.
 * Giving the flag its kernel meaning again brings that down to well under
 * a second. Only the harness builds and uses this, and only when 32-bit
 * programs run through qemu (kernels booted without ia32 emulation).
 */
#define _GNU_SOURCE
#include <errno.h>
#include <stdint.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

static void *map_pages(void *addr, size_t len, int prot, int flags, int fd, uint64_t off)
{
    long r;
    void *p;
    if (off & 4095) {
        errno = EINVAL;
        return MAP_FAILED;
    }
    r = syscall(SYS_mmap2, addr, len, prot, flags, fd, (unsigned long)(off >> 12));
    if (r == -1)
        return MAP_FAILED;
    p = (void *)r;
    if ((flags & MAP_FIXED_NOREPLACE) && !(flags & MAP_FIXED) && p != addr) {
        syscall(SYS_munmap, p, len);
        errno = EEXIST;
        return MAP_FAILED;
    }
    return p;
}

void *mmap64(void *addr, size_t len, int prot, int flags, int fd, off64_t off)
{
    return map_pages(addr, len, prot, flags, fd, (uint64_t)off);
}

void *mmap(void *addr, size_t len, int prot, int flags, int fd, off_t off)
{
    return map_pages(addr, len, prot, flags, fd, (uint64_t)(uint32_t)off);
}
