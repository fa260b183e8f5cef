/* A preload library for 32-bit Wine run by qemu's user-mode emulator, where
   the kernel cannot run 32-bit code. qemu 7.2 does not know mmap's
   MAP_FIXED_NOREPLACE and takes the address as a mere hint, so every 32-bit
   Wine process, which reserves its address space with that flag, finds each
   area "taken" and halves it down to 64 KiB pieces: some 130,000 calls and
   a minute per process start. Here the flag means what the kernel means by
   it: the mapping is made at the address when no mapping of the process
   overlaps it (qemu shows the guest's own mappings in /proc/self/maps), and
   fails with EEXIST otherwise.

   Built freestanding against the 32-bit C library by scripts/wine-env; the
   64-bit build of the same file is empty, so that 64-bit processes, which
   inherit the same LD_PRELOAD, load it without complaint. */
#if defined(__i386__)
typedef unsigned int size_t;
typedef long long off64_t;
#define RTLD_NEXT ((void *)-1l)
#define MAP_FIXED 0x10
#define MAP_FIXED_NOREPLACE 0x100000
#define MAP_FAILED ((void *)-1)
#define EEXIST 17

extern void *dlsym(void *, const char *);
extern int open(const char *, int, ...);
extern int read(int, void *, size_t);
extern int close(int);
extern int *__errno_location(void);
typedef void *(*Mmap64)(void *, size_t, int, int, int, off64_t);

static unsigned long long ReadHex(const char **p)
{
    unsigned long long v = 0;
    for (;; ++*p) {
        char c = **p;
        if (c >= '0' && c <= '9')
            v = v * 16 + (unsigned)(c - '0');
        else if (c >= 'a' && c <= 'f')
            v = v * 16 + (unsigned)(c - 'a' + 10);
        else
            return v;
    }
}

/* True when no mapping of this process overlaps [start, end). */
static int RangeFree(unsigned long long start, unsigned long long end)
{
    static char maps[1 << 17];
    int fd = open("/proc/self/maps", 0);
    if (fd < 0)
        return 0;
    int n = 0, r;
    while (n < (int)sizeof maps - 1 && (r = read(fd, maps + n, sizeof maps - 1 - n)) > 0)
        n += r;
    close(fd);
    if (n >= (int)sizeof maps - 1)
        return 0; /* not read whole: say taken */
    maps[n] = 0;
    for (const char *p = maps; *p;) {
        unsigned long long a = ReadHex(&p);
        if (*p++ != '-')
            return 0;
        unsigned long long b = ReadHex(&p);
        if (a < end && start < b)
            return 0;
        while (*p && *p != '\n')
            ++p;
        if (*p)
            ++p;
    }
    return 1;
}

static void *Map(void *addr, size_t length, int prot, int flags, int fd, off64_t offset)
{
    static Mmap64 next;
    if (!next)
        next = (Mmap64)dlsym(RTLD_NEXT, "mmap64");
    if (flags & MAP_FIXED_NOREPLACE) {
        unsigned long long start = (unsigned long)addr;
        if (!RangeFree(start, start + length)) {
            *__errno_location() = EEXIST;
            return MAP_FAILED;
        }
        flags = (flags & ~MAP_FIXED_NOREPLACE) | MAP_FIXED;
    }
    return next(addr, length, prot, flags, fd, offset);
}

void *mmap64(void *addr, size_t length, int prot, int flags, int fd, off64_t offset)
{
    return Map(addr, length, prot, flags, fd, offset);
}

void *mmap(void *addr, size_t length, int prot, int flags, int fd, long offset)
{
    return Map(addr, length, prot, flags, fd, offset);
}
#endif
