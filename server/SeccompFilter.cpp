#include "SeccompFilter.h"

#include <cerrno>
#include <memory>
#include <sched.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

struct SFilterFree {
    void operator()(void* filter) const { seccomp_release(filter); }
};

// Calls refused with EPERM: new mounts and namespaces, the kernel's keyrings, BPF, modules, performance
// counters, other processes' memory, io_uring (a second way round this filter), and the machine's clock,
// log and power. Names unknown to this libseccomp are skipped.
const char* const kRefused[] = {
    "mount",
    "umount2",
    "pivot_root",
    "chroot",
    "unshare",
    "setns",
    "keyctl",
    "add_key",
    "request_key",
    "bpf",
    "perf_event_open",
    "userfaultfd",
    "kexec_load",
    "kexec_file_load",
    "init_module",
    "finit_module",
    "delete_module",
    "reboot",
    "swapon",
    "swapoff",
    "syslog",
    "acct",
    "open_by_handle_at",
    "name_to_handle_at",
    "process_vm_writev",
    "io_uring_setup",
    "io_uring_enter",
    "io_uring_register",
    "settimeofday",
    "clock_settime",
    "adjtimex",
    "clock_adjtime",
    "quotactl",
    "fanotify_init",
    "move_mount",
    "open_tree",
    "fsopen",
    "fsmount",
    "fsconfig",
    "mount_setattr",
};

// clone flags that would make namespaces of its own.
constexpr unsigned long kNewNamespaces[] = {CLONE_NEWNS,  CLONE_NEWUSER, CLONE_NEWPID,   CLONE_NEWNET,
                                            CLONE_NEWIPC, CLONE_NEWUTS,  CLONE_NEWCGROUP};

// A comparison of the call's first argument (libseccomp's SCMP_A0 is a C compound literal).
scmp_arg_cmp fFirstArgument(scmp_compare op, scmp_datum_t a, scmp_datum_t b = 0) {
    scmp_arg_cmp compare{};
    compare.arg = 0;
    compare.op = op;
    compare.datum_a = a;
    compare.datum_b = b;
    return compare;
}

bool fAddRules(scmp_filter_ctx filter) {
    // Sockets of the local kind only (there is nothing to reach with them in the sandbox's empty
    // folders); no network of any family.
    const scmp_arg_cmp notLocal = fFirstArgument(SCMP_CMP_NE, AF_UNIX);
    if (seccomp_rule_add_array(filter, SCMP_ACT_ERRNO(EAFNOSUPPORT), SCMP_SYS(socket), 1, &notLocal) != 0) {
        return false;
    }
    for (const char* name : kRefused) {
        const int call = seccomp_syscall_resolve_name(name);
        if (call != __NR_SCMP_ERROR && seccomp_rule_add(filter, SCMP_ACT_ERRNO(EPERM), call, 0) != 0) {
            return false;
        }
    }
    for (const unsigned long flag : kNewNamespaces) {
        const scmp_arg_cmp hasFlag = fFirstArgument(SCMP_CMP_MASKED_EQ, flag, flag);
        if (seccomp_rule_add_array(filter, SCMP_ACT_ERRNO(EPERM), SCMP_SYS(clone), 1, &hasFlag) != 0) {
            return false;
        }
    }
    // clone3 hands its flags in memory, out of a filter's sight: "not here" makes the C library fall back
    // to clone, whose flags are checked above.
    return seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0) == 0;
}

} // namespace

std::string fBuildSeccompFilter(std::string& why) {
    std::unique_ptr<void, SFilterFree> filter(seccomp_init(SCMP_ACT_ALLOW));
    if (filter == nullptr || !fAddRules(filter.get())) {
        why = "libseccomp could not build the filter";
        return {};
    }
    // libseccomp 2.5 writes the program to a descriptor only.
    const int fd = ::memfd_create("tavoni-seccomp", MFD_CLOEXEC);
    if (fd < 0) {
        why = "no memory file for the filter";
        return {};
    }
    std::string program;
    if (seccomp_export_bpf(filter.get(), fd) == 0) {
        const off_t size = ::lseek(fd, 0, SEEK_END);
        program.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
        if (size <= 0 || ::pread(fd, program.data(), program.size(), 0) != size) {
            program.clear();
        }
    }
    ::close(fd);
    if (program.empty()) {
        why = "libseccomp could not export the filter";
    }
    return program;
}
