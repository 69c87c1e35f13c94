#include "platform/linux/linux_machine_facts.hpp"

#include <unistd.h>

#include <gtest/gtest.h>

#include "core/system_info.hpp"
#include "fake_nvml_test.hpp"
#include "platform/linux/meminfo.hpp"
#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::bytes;
using testing::TemporaryTree;
using testing::writeFile;

LinuxMachineFacts factsOf(const std::filesystem::path& root, const char* machine = "x86_64",
                          std::string nvml = "") {
    return LinuxMachineFacts(
        root, {.nvmlLibrary = std::move(nvml), .machine = machine, .kernelRelease = "6.8.0-45"});
}

std::string describe(LinuxMachineFacts facts) {
    return toJson(SystemInfo::current(facts)).dump();
}

// A private copy of a machine's fixture tree.
void copyMachine(const TemporaryTree& tree, const char* machine) {
    std::filesystem::copy(testing::fixturePath("machines") / machine, tree.root(),
                          std::filesystem::copy_options::recursive);
}

constexpr const char* navi21 = "Navi 21 [Radeon RX 6800/6800 XT / 6900 XT]";

TEST(LinuxMachineFacts, DescribesEachMachine) {
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"intel-hybrid-desktop", "x86_64",
         R"j({"chip":"12th Gen Intel(R) Core(TM) i5-12600K","cores":16,"performanceCores":12,)j"
         R"j("efficiencyCores":4,"memory":33326288896,)j"
         // Every card, the integrated one first as the host lists them.
         R"j("gpuName":"AlderLake-S GT1 [UHD Graphics 770]","gpuCores":null,)j"
         R"j("gpus":[{"device":"0000:00:02.0","name":"AlderLake-S GT1 [UHD Graphics 770]",)j"
         R"j("cores":null},{"device":"0000:03:00.0",)j"
         R"j("name":"Navi 21 [Radeon RX 6800/6800 XT / 6900 XT]","cores":null}],)j"
         R"j("osVersion":"Fedora Linux 40 (Workstation Edition)","bootTime":1717404467.0,)j"
         R"j("coreSummary":"16 cores (12P + 4E)"})j"},
        // Little cores against big and prime; a display card without PCI ids has no name.
        {"arm-board-rb5", "aarch64",
         R"j({"chip":"Qualcomm Technologies, Inc. Robotics RB5","cores":8,"performanceCores":4,)j"
         R"j("efficiencyCores":4,"memory":7997607936,"gpuName":"GPU","gpuCores":null,)j"
         R"j("gpus":[{"device":"/soc@0/display-subsystem@ae00000","name":"GPU","cores":null}],)j"
         R"j("osVersion":"Ubuntu 22.04.4 LTS","bootTime":1711972211.0,)j"
         R"j("coreSummary":"8 cores (4P + 4E)"})j"},
        {"arm64-cloud-vm", "aarch64",
         R"j({"chip":"aarch64","cores":4,"performanceCores":null,"efficiencyCores":null,)j"
         R"j("memory":8108560384,"gpuName":"GPU","gpuCores":null,"gpus":[],)j"
         R"j("osVersion":"Amazon Linux 2023.6.20241010","bootTime":1729165930.0,)j"
         R"j("coreSummary":"4 cores"})j"},
    };
    for (const auto& [tree, machine, json] : rows) {
        EXPECT_EQ(describe(factsOf(testing::fixturePath("machines") / tree, machine)), json)
            << tree;
    }
}

TEST(LinuxMachineFacts, ProcessorsAreCountedInCpuinfoWhenOnlineCannotBeRead) {
    TemporaryTree tree;
    copyMachine(tree, "intel-hybrid-desktop");
    writeFile(tree / "sys/devices/system/cpu/online", "0-15,garbage\n");
    EXPECT_EQ(factsOf(tree.root()).logicalProcessorCount(), 16);
    std::filesystem::remove(tree / "proc/cpuinfo");
    EXPECT_EQ(factsOf(tree.root()).logicalProcessorCount(), std::nullopt);
}

// arm-board-rb5 names no model in cpuinfo and has no os-release in /usr/lib.
TEST(LinuxMachineFacts, BrandAndSystemNameComeFromTheFirstFileThatHasThem) {
    TemporaryTree tree;
    copyMachine(tree, "arm-board-rb5");
    const auto brand = [&] { return factsOf(tree.root(), "aarch64").processorBrand(); };
    writeFile(tree / "proc/device-tree/model", bytes("\n Radxa ROCK 5B\0"));
    EXPECT_EQ(brand(), "Radxa ROCK 5B");
    writeFile(tree / "proc/device-tree/model", bytes("\0"));
    writeFile(tree / "sys/firmware/devicetree/base/model", bytes("Board \xE9t\xE9\0"));
    EXPECT_EQ(brand(), "Board \xEF\xBF\xBDt\xEF\xBF\xBD");
    std::filesystem::remove(tree / "sys/firmware/devicetree/base/model");
    EXPECT_EQ(brand(), std::nullopt);
    writeFile(tree / "proc/cpuinfo", "processor\t: 0\nmodel name\t: Intel\xAE  Core\n");
    EXPECT_EQ(brand(), "Intel\xEF\xBF\xBD Core");

    // The os-release in /etc is used alone, and the kernel stands in for it.
    const auto name = [&] { return factsOf(tree.root()).operatingSystemName(); };
    writeFile(tree / "usr/lib/os-release", "PRETTY_NAME=\"Fedora Linux 40\"\n");
    writeFile(tree / "etc/os-release", "PRETTY_NAME=\"\"\n");
    EXPECT_EQ(name(), "Linux 6.8.0-45");
    writeFile(tree / "etc/os-release", "PRETTY_NAME=\"Fedora \xFF\"\n");
    EXPECT_EQ(name(), "Fedora \xEF\xBF\xBD");
    std::filesystem::remove(tree / "etc/os-release");
    EXPECT_EQ(name(), "Fedora Linux 40");
    std::filesystem::remove(tree / "usr/lib/os-release");
    EXPECT_EQ(name(), "Linux 6.8.0-45");
}

TEST(LinuxMachineFacts, CardsAreNamedFromWhicheverDatabaseIsFound) {
    TemporaryTree tree;
    copyMachine(tree, "intel-hybrid-desktop");
    using Models = std::vector<std::pair<std::string, std::optional<std::string>>>;
    const auto names = [&] {
        LinuxMachineFacts facts = factsOf(tree.root());
        Models models;
        for (AcceleratorModel& model : facts.accelerators()) {
            models.emplace_back(model.device, model.model);
        }
        return std::pair(models, facts.defaultGraphicsDeviceName());
    };
    using Names = std::pair<Models, std::optional<std::string>>;
    constexpr const char* uhd770 = "AlderLake-S GT1 [UHD Graphics 770]";
    // Every card, under the device names LinuxHost gives them; the boot display is the second.
    EXPECT_EQ(names(), Names({{"0000:00:02.0", uhd770}, {"0000:03:00.0", navi21}}, navi21));
    writeFile(tree / "sys/class/drm/card1/device/boot_vga", "0\n");  // none: the first card
    EXPECT_EQ(names().second, uhd770);
    writeFile(tree / "sys/class/drm/card1/device/device", "0x73ff\n");  // not listed
    writeFile(tree / "usr/share/misc/pci.ids", "8086  Intel\n\t4680  UHD 770\n1002  AMD\n");
    EXPECT_EQ(names(), Names({{"0000:00:02.0", "UHD 770"}, {"0000:03:00.0", "AMD"}}, "UHD 770"));
    std::filesystem::remove(tree / "usr/share/misc/pci.ids");
    std::filesystem::remove(tree / "usr/share/hwdata/pci.ids");
    EXPECT_EQ(names(), Names({{"0000:00:02.0", std::nullopt}, {"0000:03:00.0", std::nullopt}},
                             std::nullopt));
    // NVIDIA's own driver's card is NVML's, and is not listed twice.
    writeFile(tree / "sys/class/drm/card1/device/uevent", "DRIVER=nvidia\n");
    EXPECT_EQ(names().first.size(), 1U);
}

using NvmlMachineFacts = testing::FakeNvmlTest;

// On the desktop, whose busy amdgpu card comes after any NVIDIA device.
TEST_F(NvmlMachineFacts, NvidiaDevicesComeFirstAndWhatTheDriverCannotTellIsAbsent) {
    constexpr int notSupported = 3;
    constexpr int gpuIsLost = 15;
    const std::string longest(95, 'G');  // the most NVML's 96-byte name buffer holds
    const std::tuple<FakeNvmlDevice, std::string, std::optional<std::int64_t>> rows[] = {
        {{.name = "NVIDIA H100 80GB HBM3", .gpuCores = 16896}, "NVIDIA H100 80GB HBM3", 16896},
        {{.name = "Tesla \xFF", .gpuCoresResult = notSupported}, "Tesla \xEF\xBF\xBD", {}},
        {{.name = longest.c_str(), .gpuCores = 128}, longest, 128},
        // A nameless device's cores go with the default device's name.
        {{.nameResult = gpuIsLost, .gpuCores = 2560}, navi21, 2560},
    };
    for (const auto& [device, name, cores] : rows) {
        reset(0);
        add(device);
        add({.name = "NVIDIA A100-SXM4-40GB", .gpuCores = 6912});  // never the one described
        LinuxMachineFacts facts = factsOf(testing::fixturePath("machines/intel-hybrid-desktop"),
                                          "x86_64", FAKE_NVML_LIBRARY);
        const SystemInfo info = SystemInfo::current(facts);
        EXPECT_EQ(std::pair(info.gpuName, info.gpuCores), std::pair(name, cores));
        EXPECT_EQ(openSessions(), 0);  // started for the question and closed again
    }
}

TEST(LiveMachine, CountsWhatTheKernelCountsAndGivesPrintableText) {
    LinuxMachineFacts facts;
    EXPECT_EQ(facts.logicalProcessorCount(), sysconf(_SC_NPROCESSORS_ONLN));
    // Installed memory holds what the kernel manages and, at most, a few hundred MiB more per
    // 16 GiB (firmware reservations, the kernel's image, holes of partly present blocks).
    const Meminfo meminfo = parseMeminfo(testing::readFile("/proc/meminfo"));
    const std::uint64_t managed = meminfo.memTotal.value_or(0) * 1024;
    EXPECT_GE(facts.physicalMemory(), managed);
    EXPECT_LE(facts.physicalMemory(), managed + managed / 8);
    EXPECT_NO_THROW(static_cast<void>(describe(std::move(facts))));
}

}  // namespace
}  // namespace vantric
