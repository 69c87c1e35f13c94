#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/linux/app_identity.hpp"

namespace vantric {

// Which application a Linux process belongs to, from /proc under a root folder ("/" in
// production, a fixture tree in the tests). Consulted for processes new to the caller's cache.
//
// A process's own files are asked first:
//   1. its cgroup v2 path, where the desktop put every application it launched in a unit of its
//      own (see applicationOfCgroup);
//   2. when that says nothing: the sandbox's /.flatpak-info, then an executable under /snap or
//      inside a mounted AppImage (whose $APPIMAGE names the file).
// A claim by 1 or 2 that names a terminal emulator is dropped for a process that has a
// controlling terminal and is no terminal itself: terminals that put no scope around their tabs
// leave the shells, and all they start, in the terminal's own unit.
// 3. Otherwise the nearest ancestor whose own files name an application, unless the walk first
//    meets a terminal, a shell session (sshd, sudo, tmux, ..., or a session leader with a
//    controlling terminal) or the desktop shell, pid 1 and kthreadd included: a program started
//    from those is the user's, not an application's helper.
// 4. Where none of that names one, as on desktops that make no unit per application and for
//    anything started from a terminal: the desktop entry that starts the process's program (the
//    caller's ProgramAppLookup). For an interpreter (python3, node, java, ...) the script or jar
//    on its command line is asked first, then the interpreter. A claim that names a terminal is
//    dropped as in 1 and 2.
// 5. Then the nearest ancestor whose program an entry starts, walked as in 3: an application's
//    helpers (a browser's sandbox, /opt/app/bin/worker under /opt/app/launcher) count with it.
//
// What is learnt about each process is kept for one batch (one pass of the caller's), so a cold
// pass over hundreds of processes reads every shared ancestor once; identifiers are reused by
// the kernel, so nothing is kept across batches.
//
// Not thread-safe: owned by one sampler.
class LinuxAppResolver {
public:
    // Whether a desktop entry id is a terminal emulator's (Categories=TerminalEmulator), for the
    // terminals the built-in list does not know.
    using TerminalAppTest = std::function<bool(std::string_view appId)>;
    // The desktop id of the entry that starts a program (an absolute path, or a name to find on
    // PATH); nothing when no entry does.
    using ProgramAppLookup = std::function<std::optional<std::string>(std::string_view program)>;

    explicit LinuxAppResolver(const std::filesystem::path& root = "/",
                              TerminalAppTest isTerminalApp = {},
                              ProgramAppLookup applicationOfProgram = {});
    ~LinuxAppResolver();
    LinuxAppResolver(const LinuxAppResolver&) = delete;
    LinuxAppResolver& operator=(const LinuxAppResolver&) = delete;

    // Forgets what earlier calls learnt; call at the start of every pass.
    void beginBatch();

    // The application of pid, or nothing when it belongs to none (or has gone).
    std::optional<ApplicationOfProcess> resolve(std::int32_t pid);

private:
    struct Facts {
        bool statRead = false;
        bool statReadable = false;
        std::int32_t parent = 0;
        bool stopsWalk = false;  // a terminal, shell session or desktop shell
        bool hasControllingTerminal = false;
        bool isTerminal = false;
        bool ownRead = false;
        std::optional<ApplicationOfProcess> own{};  // by the process's own files
        bool programRead = false;
        std::optional<ApplicationOfProcess> program{};  // by the entry that starts its program
    };
    using Claim = const std::optional<ApplicationOfProcess>& (LinuxAppResolver::*)(std::int32_t,
                                                                                   Facts&);

    Facts& factsOf(std::int32_t pid);
    void readStat(std::int32_t pid, Facts& facts);
    const std::optional<ApplicationOfProcess>& ownApplication(std::int32_t pid, Facts& facts);
    std::optional<ApplicationOfProcess> claimOf(std::int32_t pid, Facts& facts);
    bool acceptable(std::int32_t pid, Facts& facts, const ApplicationOfProcess& claim);
    const std::optional<ApplicationOfProcess>& programApplication(std::int32_t pid, Facts& facts);
    std::optional<ApplicationOfProcess> programClaimOf(std::int32_t pid, Facts& facts);
    std::optional<ApplicationOfProcess> fromAncestors(std::int32_t parent, Claim claim);
    bool isTerminalApp(std::string_view appId) const;
    std::optional<std::string_view> read(std::int32_t pid, std::string_view file);
    std::optional<std::string_view> linkTarget(std::int32_t pid, std::string_view link);
    std::optional<std::string_view> executable(std::int32_t pid);
    bool openProc();

    std::filesystem::path proc_;
    TerminalAppTest isTerminalApp_;
    ProgramAppLookup applicationOfProgram_;
    int procDescriptor_ = -1;
    std::unordered_map<std::int32_t, Facts> known_;
    std::string buffer_;             // every file read goes through it
    std::array<char, 4096> link_{};  // the target of the last exe link read
};

}  // namespace vantric
