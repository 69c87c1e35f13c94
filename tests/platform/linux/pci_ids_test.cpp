#include "platform/linux/pci_ids.hpp"

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

TEST(PciIds, NamesTheDeviceElseItsVendor) {
    const std::string database =
        testing::readFixture("machines/intel-hybrid-desktop/usr/share/hwdata/pci.ids");
    const std::tuple<std::uint16_t, std::uint16_t, std::optional<std::string>> rows[] = {
        {0x1002, 0x73bf, "Navi 21 [Radeon RX 6800/6800 XT / 6900 XT]"},
        {0x1002, 0x0e3a, "Advanced Micro Devices, Inc. [AMD/ATI]"},  // only a subsystem id
        {0x8086, 0x73bf, "Intel Corporation"},  // an earlier vendor's device id
        {0x1002, 0x2331, "Advanced Micro Devices, Inc. [AMD/ATI]"},  // a later vendor's
        {0x8088, 0x0000, "Beijing Wangxun Technology Co., Ltd."},    // the last vendor
        {0x0010, 0x8139, "AT-2500TX V3 Ethernet"},  // past a comment inside the block
        {0x1ab8, 0x4005, std::nullopt},
    };
    for (const auto& [vendor, device, name] : rows) {
        EXPECT_EQ(pciDeviceName(database, vendor, device), name) << vendor << ":" << device;
    }
    EXPECT_EQ(pciDeviceName("1af4  Red Hat, Inc.\r\n\t1050  Virtio 1.0 GPU\r\n", 0x1af4, 0x1050),
              "Virtio 1.0 GPU");
}

TEST(PciIds, ReadsSysfsIdsAndNothingElse) {
    const std::pair<const char*, std::optional<std::uint16_t>> rows[] = {
        {"0x1002\n", 0x1002},        {"0x10DE", 0x10de},     {"0xffff\n", 0xffff},
        {"1002\n", std::nullopt},    {"0x\n", std::nullopt}, {"0x10000\n", std::nullopt},
        {"0x1002 \n", std::nullopt},
    };
    for (const auto& [text, id] : rows) {
        EXPECT_EQ(parsePciId(text), id) << text;
    }
}

}  // namespace
}  // namespace vantric
