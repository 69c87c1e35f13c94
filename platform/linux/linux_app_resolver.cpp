#include "platform/linux/linux_app_resolver.hpp"

#include <cerrno>
#include <charconv>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "platform/linux/proc_file.hpp"
#include "platform/linux/process_roles.hpp"
#include "platform/linux/program_names.hpp"

namespace vantric {

namespace {

// Deeper than any real process tree above a program; it bounds a walk through a ppid loop that
// reused identifiers can make between two reads.
constexpr std::size_t longestWalk = 64;

constexpr std::string_view deletedSuffix = " (deleted)";

// "PID/file", relative to /proc, in a buffer that needs no allocation.
class RelativePath {
public:
    RelativePath(std::int32_t pid, std::string_view file) {
        char* end = std::to_chars(text_.data(), text_.data() + 16, pid).ptr;
        *end++ = '/';
        for (const char c : file) {
            if (end == text_.data() + text_.size() - 1) {
                break;
            }
            *end++ = c;
        }
        *end = '\0';
    }
    const char* c_str() const { return text_.data(); }

private:
    std::array<char, 48> text_{};
};

}  // namespace

LinuxAppResolver::LinuxAppResolver(const std::filesystem::path& root, TerminalAppTest isTerminalApp,
                                   ProgramAppLookup applicationOfProgram)
    : proc_(root / "proc"),
      isTerminalApp_(std::move(isTerminalApp)),
      applicationOfProgram_(std::move(applicationOfProgram)) {
    openProc();
}

LinuxAppResolver::~LinuxAppResolver() {
    if (procDescriptor_ >= 0) {
        ::close(procDescriptor_);
    }
}

void LinuxAppResolver::beginBatch() {
    known_.clear();
}

std::optional<ApplicationOfProcess> LinuxAppResolver::resolve(std::int32_t pid) {
    if (procDescriptor_ < 0 && !openProc()) {
        return std::nullopt;
    }
    Facts& facts = factsOf(pid);
    if (const auto& own = ownApplication(pid, facts)) {
        return own;
    }
    readStat(pid, facts);
    if (!facts.statReadable) {
        return std::nullopt;
    }
    if (auto ancestors = fromAncestors(facts.parent, &LinuxAppResolver::ownApplication)) {
        return ancestors;
    }
    if (!applicationOfProgram_) {
        return std::nullopt;
    }
    if (const auto& program = programApplication(pid, facts)) {
        return program;
    }
    return fromAncestors(facts.parent, &LinuxAppResolver::programApplication);
}

LinuxAppResolver::Facts& LinuxAppResolver::factsOf(std::int32_t pid) {
    // The map's nodes stay where they are when it grows, so a reference outlives later inserts.
    return known_[pid];
}

void LinuxAppResolver::readStat(std::int32_t pid, Facts& facts) {
    if (facts.statRead) {
        return;
    }
    facts.statRead = true;
    const auto text = read(pid, "stat");
    const auto lineage = text ? parseProcessLineage(*text) : std::nullopt;
    if (!lineage) {
        return;
    }
    facts.statReadable = true;
    facts.parent = lineage->parent;
    facts.isTerminal = isTerminalName(lineage->name);
    facts.hasControllingTerminal = lineage->hasControllingTerminal();
    const bool sessionLeader = lineage->session == pid && facts.hasControllingTerminal;
    facts.stopsWalk = pid <= 2 || facts.isTerminal || sessionLeader ||
                      isShellSessionName(lineage->name) || isDesktopShellName(lineage->name);
}

const std::optional<ApplicationOfProcess>& LinuxAppResolver::ownApplication(std::int32_t pid,
                                                                            Facts& facts) {
    if (!facts.ownRead) {
        facts.ownRead = true;
        facts.own = claimOf(pid, facts);
        if (facts.own) {
            facts.own->witness = pid;
        }
    }
    return facts.own;
}

const std::optional<ApplicationOfProcess>& LinuxAppResolver::programApplication(std::int32_t pid,
                                                                                Facts& facts) {
    if (!facts.programRead) {
        facts.programRead = true;
        facts.program = programClaimOf(pid, facts);
        if (facts.program) {
            facts.program->witness = pid;
        }
    }
    return facts.program;
}

std::optional<ApplicationOfProcess> LinuxAppResolver::programClaimOf(std::int32_t pid,
                                                                     Facts& facts) {
    const auto path = executable(pid);
    if (!path) {
        return std::nullopt;
    }
    // Owned: the reads below go through the buffers the path is a view of.
    const std::string program(*path);
    std::vector<std::string> asked;
    if (isInterpreterName(fileNameOf(program))) {
        if (const auto commandLine = read(pid, "cmdline")) {
            if (const auto script = scriptArgument(*commandLine)) {
                asked.emplace_back(*script);
            }
        }
        // A script named relative to the folder it was started in.
        if (!asked.empty() && !asked.front().starts_with('/') &&
            asked.front().find('/') != std::string::npos) {
            const auto folder = linkTarget(pid, "cwd");
            asked.front() = folder ? std::string(*folder) + "/" + asked.front() : std::string();
        }
    }
    asked.push_back(program);
    for (const std::string& candidate : asked) {
        if (candidate.empty()) {
            continue;
        }
        if (auto appId = applicationOfProgram_(candidate)) {
            ApplicationOfProcess claim{.appId = std::move(*appId),
                                       .via = ApplicationEvidence::program};
            return acceptable(pid, facts, claim) ? std::optional(std::move(claim)) : std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<ApplicationOfProcess> LinuxAppResolver::claimOf(std::int32_t pid, Facts& facts) {
    // Each claim owns its text before acceptable() reads stat through the same buffer.
    if (const auto text = read(pid, "cgroup")) {
        if (const auto path = unifiedCgroupPath(*text)) {
            auto claim = applicationOfCgroup(*path);
            if (claim && acceptable(pid, facts, *claim)) {
                return claim;
            }
        }
    }
    if (const auto info = read(pid, "root/.flatpak-info")) {
        if (auto name = flatpakApplicationName(*info)) {
            ApplicationOfProcess claim{.appId = std::move(*name),
                                       .via = ApplicationEvidence::flatpakInfo};
            if (acceptable(pid, facts, claim)) {
                return claim;
            }
        }
    }
    const auto path = executable(pid);
    if (!path) {
        return std::nullopt;
    }
    if (auto claim = snapOfExecutable(*path); claim && acceptable(pid, facts, *claim)) {
        return claim;
    }
    if (const auto mountName = appImageMountName(*path)) {
        const auto environment = read(pid, "environ");
        const auto file = environment ? environmentValue(*environment, "APPIMAGE") : std::nullopt;
        const std::string_view name = file ? appImageName(*file) : std::string_view();
        ApplicationOfProcess claim{.appId = std::string(name.empty() ? *mountName : name),
                                   .via = ApplicationEvidence::appImagePath};
        if (acceptable(pid, facts, claim)) {
            return claim;
        }
    }
    return std::nullopt;
}

bool LinuxAppResolver::acceptable(std::int32_t pid, Facts& facts,
                                  const ApplicationOfProcess& claim) {
    if (!isTerminalApp(claim.appId)) {
        return true;
    }
    readStat(pid, facts);
    return facts.isTerminal || !facts.hasControllingTerminal;
}

std::optional<ApplicationOfProcess> LinuxAppResolver::fromAncestors(std::int32_t parent,
                                                                    Claim claim) {
    std::int32_t pid = parent;
    for (std::size_t step = 0; pid > 0 && step < longestWalk; ++step) {
        Facts& facts = factsOf(pid);
        readStat(pid, facts);
        if (!facts.statReadable || facts.stopsWalk) {
            return std::nullopt;
        }
        if (const auto& own = (this->*claim)(pid, facts)) {
            // A terminal known only by its desktop entry ends the walk like one known by name.
            return isTerminalApp(own->appId) ? std::nullopt : own;
        }
        pid = facts.parent;
    }
    return std::nullopt;
}

bool LinuxAppResolver::isTerminalApp(std::string_view appId) const {
    return isTerminalAppId(appId) || (isTerminalApp_ && isTerminalApp_(appId));
}

std::optional<std::string_view> LinuxAppResolver::read(std::int32_t pid, std::string_view file) {
    int descriptor = -1;
    do {
        descriptor = openat(procDescriptor_, RelativePath(pid, file).c_str(), O_RDONLY | O_CLOEXEC);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        return std::nullopt;
    }
    const auto text = readWhole(descriptor, buffer_);
    ::close(descriptor);
    return text;
}

std::optional<std::string_view> LinuxAppResolver::linkTarget(std::int32_t pid,
                                                             std::string_view link) {
    const ssize_t length =
        readlinkat(procDescriptor_, RelativePath(pid, link).c_str(), link_.data(), link_.size());
    if (length <= 0 || static_cast<std::size_t>(length) == link_.size()) {
        return std::nullopt;
    }
    return std::string_view(link_.data(), static_cast<std::size_t>(length));
}

std::optional<std::string_view> LinuxAppResolver::executable(std::int32_t pid) {
    auto path = linkTarget(pid, "exe");
    if (!path) {
        return std::nullopt;
    }
    if (path->ends_with(deletedSuffix)) {
        path->remove_suffix(deletedSuffix.size());
    }
    return path;
}

bool LinuxAppResolver::openProc() {
    do {
        procDescriptor_ = ::open(proc_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (procDescriptor_ < 0 && errno == EINTR);
    return procDescriptor_ >= 0;
}

}  // namespace vantric
