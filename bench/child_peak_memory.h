#pragma once

// How much memory a program's work takes beyond the program's own: it runs as a child
// process, traced until it opens its input file; its peak resident size then is its own, its
// peak at its exit less that is the work's. Both come from the process's own peak
// (VmHWM), which, unlike the rusage of a child, holds nothing of the parent it was forked
// from. Linux only, as ptrace and /proc are.

#include <QByteArray>
#include <QFile>
#include <QList>

#include <optional>
#include <string>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pxu::bench {

namespace detail {

// The peak resident size of process pid so far, in bytes.
inline std::optional<qint64> peakResident(pid_t pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toLongLong() * 1024;
    }
    return std::nullopt;
}

// Whether the syscall at which pid stopped opens the file path.
inline bool opensFile(pid_t pid, const QByteArray& path) {
    __ptrace_syscall_info info{};
    if (ptrace(PTRACE_GET_SYSCALL_INFO, pid, sizeof info, &info) <= 0 ||
        info.op != PTRACE_SYSCALL_INFO_ENTRY)
        return false;
    quint64 name = 0;
    if (info.entry.nr == SYS_openat)
        name = info.entry.args[1];
#ifdef SYS_open
    else if (info.entry.nr == SYS_open)
        name = info.entry.args[0];
#endif
    if (name == 0)
        return false;
    std::vector<char> text(size_t(path.size()) + 1);
    const iovec local{text.data(), text.size()};
    const iovec remote{reinterpret_cast<void*>(name), text.size()};
    return process_vm_readv(pid, &local, 1, &remote, 1, 0) == ssize_t(text.size()) &&
           text.back() == '\0' && QByteArray(text.data()) == path;
}

} // namespace detail

// Runs program with arguments and gives the growth of its peak resident size from the
// moment it opens input up to its exit, in bytes; nothing when it cannot be run, never opens
// input or does not end with exit code 0.
inline std::optional<qint64> childPeakAboveOwn(const QString& program, const QStringList& arguments,
                                               const QString& input) {
    std::vector<std::string> words{program.toStdString()};
    for (const QString& a : arguments)
        words.push_back(a.toStdString());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    const QByteArray path = QFile::encodeName(input);

    const pid_t pid = fork();
    if (pid < 0)
        return std::nullopt;
    if (pid == 0) {
        // What it says (srec_cat warns of a missing header record) would only clutter the report.
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) // stopped after its exec
        return std::nullopt;
    ptrace(PTRACE_SETOPTIONS, pid, nullptr,
           PTRACE_O_TRACESYSGOOD | PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL);

    std::optional<qint64> own;
    std::optional<qint64> peak;
    int signal = 0;
    for (;;) {
        // System calls are stopped at only until the input is open.
        ptrace(own ? PTRACE_CONT : PTRACE_SYSCALL, pid, nullptr, signal);
        signal = 0;
        if (waitpid(pid, &status, 0) != pid)
            return std::nullopt;
        if (WIFEXITED(status) || WIFSIGNALED(status))
            break;
        if (WSTOPSIG(status) == (SIGTRAP | 0x80)) {
            if (!own && detail::opensFile(pid, path))
                own = detail::peakResident(pid);
        } else if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
            peak = detail::peakResident(pid);
        } else if (WSTOPSIG(status) != SIGTRAP) {
            signal = WSTOPSIG(status);
        }
    }
    if (!own || !peak || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return *peak - *own;
}

} // namespace pxu::bench
