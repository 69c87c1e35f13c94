#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <variant>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/linux/device_slot.hpp"
#include "platform/linux/drm_client_usage.hpp"
#include "platform/linux/drm_fdinfo.hpp"
#include "platform/linux/linux_host.hpp"
#include "platform/linux/linux_process_table.hpp"
#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::writeFile;

std::string fdinfo(const std::string& name) {
    return testing::readFixture("gpu-clients/" + name + ".fdinfo");
}

TEST(DrmFdinfo, ReadsEachDriversCountersAndMemoryOnce) {
    using Engines = std::vector<DrmEngineCounters>;
    constexpr std::uint64_t kib = 1024;
    struct Row {
        const char* file;
        DrmFdinfo expected;
    };
    const std::vector<Row> rows{
        // Capacity lines are no engines of their own; engines that only show a capacity go.
        {"i915-41-first",
         {.driver = "i915",
          .clientId = 41,
          .pciDevice = "0000:00:02.0",
          .engines = Engines{{.name = "render", .busyNs = 18204761250},
                             {.name = "copy", .busyNs = 0},
                             {.name = "video", .busyNs = 412000000, .capacity = 2},
                             {.name = "video-enhance", .busyNs = 0}},
          .memory = {.systemResident = 38916 * kib, .systemTotal = 38916 * kib}}},
        // Total cycles are no memory region; vram0 is the card's own memory.
        {"xe-3-first",
         {.driver = "xe",
          .clientId = 3,
          .pciDevice = "0000:03:00.0",
          .engines =
              Engines{{.name = "rcs", .cycles = 28257900, .totalCycles = 7655183225},
                      {.name = "bcs", .cycles = 0, .totalCycles = 7655183225},
                      {.name = "vcs", .cycles = 0, .totalCycles = 7655183225, .capacity = 2},
                      {.name = "vecs", .cycles = 0, .totalCycles = 7655183225, .capacity = 2},
                      {.name = "ccs", .cycles = 0, .totalCycles = 7655183225, .capacity = 4}},
          .memory = {.videoResident = 24020 * kib,
                     .systemResident = 196 * kib,
                     .videoTotal = 24020 * kib,
                     .systemTotal = 196 * kib}}},
        // drm-memory-* repeats drm-resident-*: counted once.
        {"amdgpu-118-first",
         {.driver = "amdgpu",
          .clientId = 118,
          .pciDevice = "0000:0b:00.0",
          .engines =
              Engines{{.name = "gfx", .busyNs = 95143326150}, {.name = "dma", .busyNs = 112000350}},
          .memory = {.videoResident = 263188 * kib,
                     .systemResident = 6324 * kib,
                     .videoTotal = 263188 * kib,
                     .systemTotal = 6324 * kib}}},
        // Cycles without total cycles (only a maximum clock) cannot be turned into a share.
        {"msm-7-first",
         {.driver = "msm",
          .clientId = 7,
          .engines = Engines{{.name = "gpu", .busyNs = 1734371319, .cycles = 1153645024}},
          .memory = {.systemResident = 116376 * kib, .systemTotal = 116376 * kib}}},
    };
    for (const auto& [file, expected] : rows) {
        EXPECT_EQ(parseDrmFdinfo(fdinfo(file)), expected) << file;
    }
}

TEST(DrmFdinfo, DropsWhatItCannotTrustAndKeepsTheRest) {
    const std::string client = "drm-driver:\tv3d\ndrm-client-id:\t9\n";
    struct Row {
        std::string text;
        std::optional<std::uint64_t> renderNs;
        std::uint64_t systemResident;
    };
    const std::vector<Row> rows{
        {client + "drm-engine-render:\t12x ns\ndrm-resident-memory:\t4 KiB\n", {}, 4096},
        {client + "drm-engine-render:\t12 ms\ndrm-resident-memory:\t1 GiB\n", {}, 0},
        {client + "drm-engine-render:\t12\ndrm-resident-memory:\t1152921504606846977 KiB\n", 12, 0},
        {client + "drm-engine-render: 7 ns  \ndrm-total-memory:\t3 MiB\n", 7, 3 << 20},
        {client + "drm-engine-capacity-render:\t0\ndrm-engine-render:\t5 ns\n", 5, 0},
    };
    for (const auto& [text, renderNs, systemResident] : rows) {
        const auto parsed = parseDrmFdinfo(text);
        ASSERT_TRUE(parsed) << text;
        const auto render =
            std::find_if(parsed->engines.begin(), parsed->engines.end(),
                         [](const auto& engine) { return engine.name == "render"; });
        EXPECT_EQ(render == parsed->engines.end() ? std::nullopt : render->busyNs, renderNs)
            << text;
        if (render != parsed->engines.end()) {
            EXPECT_EQ(render->capacity, 1U) << text;
        }
        EXPECT_EQ(parsed->memory.systemResident, systemResident) << text;
    }
    // Not a client: another file, a driver that publishes nothing, a client without its id.
    for (const std::string& text : {std::string("pos:\t0\nflags:\t02\n"), fdinfo("nouveau"),
                                    std::string("drm-driver:\ti915\ndrm-client-id:\tx\n")}) {
        EXPECT_FALSE(parseDrmFdinfo(text)) << text;
    }
}

TEST(DeviceSlot, NamesEachDeviceAsTheKernelDoes) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> busIds{
        {"00000000:4F:00.0", "0000:4f:00.0"},
        {"0000000A:01:00.1", "000a:01:00.1"},
        {"00010000:02:1f.7", "10000:02:1f.7"},
        {"00000000:4F:00", std::nullopt},
        {"00000000:100:00.0", std::nullopt},
        {"00000000:4F:20.0", std::nullopt},
        {"GPU-4f", std::nullopt},
    };
    for (const auto& [busId, slot] : busIds) {
        EXPECT_EQ(kernelPciSlot(busId), slot) << busId;
    }
    EXPECT_EQ(drmDeviceName("DRIVER=xe\nPCI_SLOT_NAME=0000:03:00.0\n", "card1"), "0000:03:00.0");
    EXPECT_EQ(drmDeviceName("DRIVER=msm\nOF_FULLNAME=/soc@0/gpu@3d00000\n", "card0"),
              "/soc@0/gpu@3d00000");
    EXPECT_EQ(drmDeviceName("", "renderD128"), "renderD128");
}

DrmEngineCounters busyNs(std::uint64_t busy, std::uint64_t capacity = 1) {
    return DrmEngineCounters{.name = "render", .busyNs = busy, .capacity = capacity};
}

DrmEngineCounters busyCycles(std::uint64_t busy, std::uint64_t total) {
    return DrmEngineCounters{.name = "rcs", .cycles = busy, .totalCycles = total};
}

DrmClientReading onDevice(const char* device, DrmClientReading reading) {
    reading.device = device;
    return reading;
}

// A client on device "gpu" with one engine class.
DrmClientReading client(std::int32_t holder, std::uint64_t id, DrmEngineCounters engine) {
    return DrmClientReading{
        .device = "gpu",
        .holder = holder,
        .counters = {.driver = "i915", .clientId = id, .engines = {std::move(engine)}}};
}

TEST(DrmClientUsage, SharesOfTheIntervalFollowTheKernelsRules) {
    struct Pass {
        std::vector<DrmClientReading> clients;
        std::uint64_t elapsedNs;
    };
    struct Row {
        const char* what;
        std::vector<Pass> passes;
        std::vector<std::optional<double>> deviceBusy;  // after each pass
        std::optional<double> holder1Percent;           // after the last
    };
    const std::vector<Row> rows{
        {"busy time over the interval",
         {{{client(1, 5, busyNs(100))}, 0}, {{client(1, 5, busyNs(500))}, 1000}},
         {std::nullopt, 0.4},
         40},
        {"over the engines of a class",
         {{{client(1, 5, busyNs(100, 2))}, 0}, {{client(1, 5, busyNs(500, 2))}, 1000}},
         {std::nullopt, 0.2},
         20},
        {"clients of a class add up, processes keep their own",
         {{{client(1, 5, busyNs(0)), client(2, 6, busyNs(0))}, 0},
          {{client(1, 5, busyNs(300)), client(2, 6, busyNs(200))}, 1000}},
         {std::nullopt, 0.5},
         30},
        {"the busiest class is the device's",
         {{{client(1, 5, busyNs(0)), client(2, 6, busyCycles(0, 0))}, 0},
          {{client(1, 5, busyNs(300)), client(2, 6, busyCycles(70, 100))}, 1000}},
         {std::nullopt, 0.7},
         30},
        {"cycles count against the GPU's clock, not the wall's",
         {{{client(1, 5, busyCycles(1000, 10000))}, 0},
          {{client(1, 5, busyCycles(1500, 11000))}, 900}},
         {std::nullopt, 0.5},
         50},
        {"no GPU time passed",
         {{{client(1, 5, busyCycles(1000, 10000))}, 0},
          {{client(1, 5, busyCycles(1500, 10000))}, 900}},
         {std::nullopt, 0},
         0},
        {"a step back waits for the counter to pass its peak",
         {{{client(1, 5, busyNs(100))}, 0},
          {{client(1, 5, busyNs(90))}, 100},
          {{client(1, 5, busyNs(95))}, 100},
          {{client(1, 5, busyNs(120))}, 100}},
         {std::nullopt, 0, 0, 0.2},
         20},
        {"a client first seen has no share yet",
         {{{client(2, 6, busyNs(0))}, 0},
          {{client(2, 6, busyNs(10)), client(1, 5, busyNs(900))}, 1000}},
         {std::nullopt, 0.01},
         std::nullopt},
        {"the GPU's clock starting again is a new baseline, not an idle stretch",
         {{{client(1, 5, busyCycles(1000, 1'000'000'000))}, 0},
          {{client(1, 5, busyCycles(1100, 50))}, 1000},
          {{client(1, 5, busyCycles(1600, 1050))}, 1000}},
         {std::nullopt, 0, 0.5},
         50},
        {"a process on two devices has the busier device's share, not their sum",
         {{{client(1, 5, busyNs(0)), onDevice("other", client(1, 6, busyNs(0)))}, 0},
          {{client(1, 5, busyNs(600)), onDevice("other", client(1, 6, busyNs(300)))}, 1000}},
         {std::nullopt, 0.6},
         60},
        {"shares beyond the whole are held to it",
         {{{client(1, 5, busyNs(0)), client(1, 6, busyNs(0))}, 0},
          {{client(1, 5, busyNs(800)), client(1, 6, busyNs(700))}, 1000}},
         {std::nullopt, 1.0},
         100},
    };
    for (const auto& [what, passes, deviceBusy, holder1Percent] : rows) {
        DrmClientUsage usage;
        std::vector<std::optional<double>> busy;
        DrmUsage last;
        std::uint64_t now = 0;
        for (const auto& [clients, elapsed] : passes) {
            now += elapsed;
            last = usage.measure(clients, now);
            busy.push_back(last.devices.at("gpu").busy);
        }
        ASSERT_EQ(busy.size(), deviceBusy.size()) << what;
        for (std::size_t index = 0; index < busy.size(); ++index) {
            EXPECT_EQ(busy[index].has_value(), deviceBusy[index].has_value()) << what << index;
            EXPECT_NEAR(busy[index].value_or(-1), deviceBusy[index].value_or(-1), 1e-9) << what;
        }
        EXPECT_NEAR(last.processes.at(1).percent.value_or(-1), holder1Percent.value_or(-1), 1e-9)
            << what;
    }
}

TEST(DrmClientUsage, ASleepingDevicesClientsKeepTheirCountersAndBuffersAndOthersAreForgotten) {
    DrmClientUsage usage;
    DrmClientReading first = client(1, 5, busyNs(100));
    first.counters.memory.systemResident = 4096;
    usage.measure({first}, 0);
    // Asleep: not read, idle, its buffers still held.
    const DrmUsage asleep = usage.measure(
        {DrmClientReading{
            .device = "gpu", .holder = 1, .counters = {.clientId = 5}, .asleep = true}},
        1000);
    EXPECT_EQ(asleep.processes.at(1).percent, 0);
    EXPECT_EQ(asleep.processes.at(1).memory, 4096U);
    // Awake: the time since it was last read, not since the last pass.
    EXPECT_EQ(usage.measure({client(1, 5, busyNs(300))}, 2000).devices.at("gpu").busy, 0.1);
    usage.measure({}, 3000);  // gone while awake
    EXPECT_FALSE(usage.measure({client(1, 5, busyNs(400))}, 4000).devices.at("gpu").busy);
}

// A machine in a scratch tree: its DRM device (card and render node) and the processes that hold
// clients of it, each at /proc/PID/fd/N -> /dev/dri/NODE with that descriptor's fdinfo.
class ClientTree {
public:
    ClientTree(const std::string& card, const std::string& uevent) {
        for (const std::string& node : {card, std::string("renderD128")}) {
            writeFile(tree_ / ("sys/class/drm/" + node + "/device/uevent"), uevent);
            writeFile(tree_ / ("sys/class/drm/" + node + "/device/power/runtime_status"),
                      "active\n");
        }
    }

    void addProcess(std::int32_t pid, std::uint64_t cpuTicks = 8, std::uint64_t start = 421714) {
        std::string stat = testing::readFixture("processes/captured/bash.stat");
        stat.replace(stat.find(" 3 8 "), 5, " " + std::to_string(cpuTicks) + " 0 ");
        stat.replace(stat.find(" 421714 "), 8, " " + std::to_string(start) + " ");
        stat.replace(0, stat.find(' '), std::to_string(pid));
        writeFile(folder(pid) / "stat", stat);
        writeFile(folder(pid) / "statm", "1000 500 200 0 0 300 0\n");
        std::filesystem::create_directories(folder(pid) / "fd");
    }

    void hold(std::int32_t pid, int descriptor, const std::string& text) {
        const auto link = folder(pid) / "fd" / std::to_string(descriptor);
        std::filesystem::create_directories(link.parent_path());
        std::error_code absent;
        std::filesystem::remove(link, absent);
        std::filesystem::create_symlink("/dev/dri/renderD128", link);
        writeFile(folder(pid) / "fdinfo" / std::to_string(descriptor), text);
    }

    void close(std::int32_t pid, int descriptor) {
        std::filesystem::remove(folder(pid) / "fd" / std::to_string(descriptor));
        std::filesystem::remove(folder(pid) / "fdinfo" / std::to_string(descriptor));
    }

    const testing::TemporaryTree& tree() const { return tree_; }

private:
    std::filesystem::path folder(std::int32_t pid) const {
        return tree_ / ("proc/" + std::to_string(pid));
    }

    testing::TemporaryTree tree_;
};

// The table's pass finds the clients; the host reports the device from them.
struct Machine {
    explicit Machine(const ClientTree& tree, std::uint64_t secondPassNs = 1'000'000'000,
                     DrmClientScan::Options scan = {})
        : clients(std::make_shared<GpuClients>()),
          table(tree.tree().root(),
                [&] {
                    scan.clock = [this, secondPassNs] { return passes++ * secondPassNs; };
                    return LinuxProcessTable::Options{
                        .footprint = LinuxProcessTable::FootprintSource::statm,
                        .gpuClients = clients,
                        .drmScan = std::move(scan)};
                }()),
          host(tree.tree().root(), LinuxHost::Options{.nvmlLibrary = "", .gpuClients = clients}) {}

    std::optional<ProcessGpu> gpu(std::int32_t pid) {
        const auto usage = table.usage(pid);
        return usage ? usage->gpu : std::nullopt;
    }
    Accelerator device(const std::string& name) {
        for (Accelerator& accelerator : host.accelerators()) {
            if (accelerator.device == name) {
                return accelerator;
            }
        }
        return {};
    }

    std::uint64_t passes = 0;
    std::shared_ptr<GpuClients> clients;
    LinuxProcessTable table;
    LinuxHost host;
};

double statisticNumber(const Accelerator& accelerator, const char* key) {
    if (!accelerator.statistics || !accelerator.statistics->contains(key)) {
        return -1;
    }
    return std::visit(
        [](const auto& value) -> double {
            if constexpr (std::is_arithmetic_v<std::decay_t<decltype(value)>>) {
                return static_cast<double>(value);
            } else {
                return -2;
            }
        },
        accelerator.statistics->at(key));
}

TEST(DrmClientScan, CountsEachDriversClientsOverTwoReadings) {
    using Percents = std::map<std::int32_t, std::optional<double>>;
    struct Row {
        const char* driver;
        std::string uevent;
        std::map<std::string, std::string> deviceFiles;
        // pid, descriptor, first and second fdinfo ("" once closed)
        std::vector<std::tuple<std::int32_t, int, std::string, std::string>> holders;
        std::uint64_t intervalNs;
        std::string device;
        double busyPercent;
        double systemMemoryInUse;
        Percents percents;  // nullopt: the process has no GPU figure
        // Holders of a client that counts for a lower identifier: never a figure of their own.
        std::vector<std::int32_t> sharers{};
    };
    const std::vector<Row> rows{
        // 41 is shared by two processes and counts for the lower; 60 closes between the readings.
        {"i915",
         "DRIVER=i915\nPCI_SLOT_NAME=0000:00:02.0\n",
         {},
         {{2101, 24, "i915-41-first", "i915-41-second"},
          {2102, 9, "i915-41-first", "i915-41-second"},
          {2103, 5, "i915-57-first", "i915-57-second"},
          {2104, 7, "i915-60-first", ""}},
         1'000'000'000,
         "0000:00:02.0",
         65,
         (38916 + 16384) * 1024,
         {{2101, 40}, {2102, std::nullopt}, {2103, 25}, {2104, std::nullopt}},
         {2102}},
        // Counted in GPU cycles, whatever the wall clock says.
        {"xe",
         "DRIVER=xe\nPCI_SLOT_NAME=0000:03:00.0\n",
         {},
         {{3101, 15, "xe-3-first", "xe-3-second"}},
         900'000'000,
         "0000:03:00.0",
         50,
         196 * 1024,
         {{3101, 50}}},
        // The card's own busy figure stays the device's; the step back of dma counts nothing.
        {"amdgpu",
         "DRIVER=amdgpu\nPCI_SLOT_NAME=0000:0b:00.0\n",
         {{"gpu_busy_percent", "55\n"}, {"mem_info_gtt_used", "4096\n"}},
         {{4101, 31, "amdgpu-118-first", "amdgpu-118-second"}},
         1'000'000'000,
         "0000:0b:00.0",
         55,
         4096,
         {{4101, 30}}},
        {"msm",
         "DRIVER=msm\nOF_FULLNAME=/soc@0/gpu@3d00000\n",
         {},
         {{5101, 12, "msm-7-first", "msm-7-second"}},
         1'000'000'000,
         "/soc@0/gpu@3d00000",
         62,
         116376 * 1024,
         {{5101, 62}}},
    };
    for (const auto& row : rows) {
        ClientTree tree("card0", row.uevent);
        for (const auto& [file, text] : row.deviceFiles) {
            writeFile(tree.tree() / ("sys/class/drm/card0/device/" + file), text);
        }
        for (const auto& [pid, descriptor, first, second] : row.holders) {
            tree.addProcess(pid);
            tree.hold(pid, descriptor, fdinfo(first));
        }
        Machine machine(tree, row.intervalNs);
        machine.table.countProcesses();  // new processes are listed from their second pass
        machine.table.countProcesses();
        for (const std::int32_t sharer : row.sharers) {
            EXPECT_FALSE(machine.gpu(sharer)) << row.driver << " " << sharer;
        }
        for (const auto& [pid, descriptor, first, second] : row.holders) {
            if (second.empty()) {
                tree.close(pid, descriptor);
            } else {
                tree.hold(pid, descriptor, fdinfo(second));
            }
        }
        machine.table.countProcesses();
        const Accelerator device = machine.device(row.device);
        EXPECT_NEAR(statisticNumber(device, "Device Utilization %"), row.busyPercent, 1e-6)
            << row.driver;
        EXPECT_EQ(statisticNumber(device, "In use system memory"), row.systemMemoryInUse)
            << row.driver;
        EXPECT_EQ(device.ownProcessesOnly, std::string(row.driver) != "amdgpu") << row.driver;
        for (const auto& [pid, percent] : row.percents) {
            const auto gpu = machine.gpu(pid);
            EXPECT_EQ(gpu && gpu->percent, percent.has_value()) << row.driver << " " << pid;
            EXPECT_NEAR(gpu ? gpu->percent.value_or(-1) : -1, percent.value_or(-1), 1e-6)
                << row.driver << " " << pid;
        }
    }
    // amdgpu's buffers: resident VRAM and GTT, not twice over for the older key.
    ClientTree amd("card0", "DRIVER=amdgpu\nPCI_SLOT_NAME=0000:0b:00.0\n");
    amd.addProcess(4101);
    amd.hold(4101, 31, fdinfo("amdgpu-118-first"));
    Machine machine(amd);
    machine.table.countProcesses();
    machine.table.countProcesses();
    EXPECT_EQ(machine.gpu(4101)->memory, (263188U + 6324U) * 1024);
}

// The widgets sample no processes: their host runs a pass of its own when a card needs one.
TEST(DrmClientScan, AHostWithoutTheStoresPassesRunsItsOwn) {
    ClientTree tree("card0", "DRIVER=i915\nPCI_SLOT_NAME=0000:00:02.0\n");
    tree.addProcess(2101);
    tree.hold(2101, 24, fdinfo("i915-41-first"));
    LinuxHost host(tree.tree().root(), LinuxHost::Options{.nvmlLibrary = ""});
    host.accelerators();
    host.accelerators();
    tree.hold(2101, 24, fdinfo("i915-41-second"));
    const Accelerator card = host.accelerators().at(0);
    EXPECT_TRUE(card.ownProcessesOnly);
    EXPECT_GT(statisticNumber(card, "Device Utilization %"), 0);
}

// Descriptors are listed when a process is new (from its second pass), ran, or its sweep comes;
// never for another user's process; and a sleeping device's clients are not read.
TEST(DrmClientScan, LooksAtDescriptorsOnlyWhenTheyCanHaveChanged) {
    ClientTree tree("card0", "DRIVER=i915\nPCI_SLOT_NAME=0000:00:02.0\n");
    // 2101 and 2102 share one client: it is read through one descriptor only.
    tree.addProcess(2101);
    tree.hold(2101, 24, fdinfo("i915-41-first"));
    tree.addProcess(2102);
    tree.hold(2102, 9, fdinfo("i915-41-first"));
    for (std::int32_t pid = 2200; pid < 2210; ++pid) {
        tree.addProcess(pid);
    }
    Machine machine(tree, 1'000'000'000, {.relistPasses = 5, .sweepPasses = 1000});
    const DrmClientScan& scan = *machine.table.drmScan();
    const auto passes = [&](int count) {
        for (int pass = 0; pass < count; ++pass) {
            machine.table.countProcesses();
        }
        return std::pair(scan.listings(), scan.reads());
    };
    EXPECT_EQ(passes(1), std::pair(std::uint64_t{0}, std::uint64_t{0}));
    // Both descriptors read once, to learn that they are one client.
    EXPECT_EQ(passes(1), std::pair(std::uint64_t{12}, std::uint64_t{2}));
    EXPECT_EQ(passes(6), std::pair(std::uint64_t{12}, std::uint64_t{8}));  // idle: read only

    // 2200 ran and opened a client: found at its turn, within five passes, not before.
    tree.addProcess(2200, 50);
    tree.hold(2200, 3, fdinfo("i915-57-first"));
    std::vector<std::uint64_t> listings;
    listings.reserve(5);
    for (int pass = 0; pass < 5; ++pass) {
        listings.push_back(passes(1).first);
    }
    EXPECT_EQ(listings.back(), 13U);
    EXPECT_EQ(std::count(listings.begin(), listings.end(), 12U) + 1,
              std::find(listings.begin(), listings.end(), 13U) - listings.begin() + 1);
    EXPECT_TRUE(machine.gpu(2200));

    // A new process under an old identifier is listed at its second pass.
    tree.addProcess(2201, 8, 500000);
    EXPECT_EQ(passes(1).first, 13U);
    EXPECT_EQ(passes(1).first, 14U);

    // 2200, running all along from now, is listed again every five passes, not at each.
    for (std::uint64_t ticks = 51; ticks < 61; ++ticks) {
        tree.addProcess(2200, ticks);
        passes(1);
    }
    EXPECT_EQ(scan.listings(), 16U);

    // Asleep: the clients are not read, whatever their files say.
    writeFile(tree.tree() / "sys/class/drm/card0/device/power/runtime_status", "suspended\n");
    writeFile(tree.tree() / "sys/class/drm/renderD128/device/power/runtime_status", "suspended\n");
    const std::uint64_t reads = scan.reads();
    EXPECT_EQ(passes(3).second, reads);
    EXPECT_EQ(machine.gpu(2101)->memory, 38916U * 1024);
    EXPECT_EQ(statisticNumber(machine.device("0000:00:02.0"), "Device Utilization %"), 0);

    // Another user's processes: never listed, never read.
    Machine other(tree, 1'000'000'000, {.owner = geteuid() + 1});
    for (int pass = 0; pass < 3; ++pass) {
        other.table.countProcesses();
    }
    EXPECT_EQ(std::pair(other.table.drmScan()->listings(), other.table.drmScan()->reads()),
              std::pair(std::uint64_t{0}, std::uint64_t{0}));
    EXPECT_FALSE(other.gpu(2101));
}

}  // namespace
}  // namespace vantric
