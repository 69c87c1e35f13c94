#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace vantric::testing {

// tests/fixtures; captures of real machines and shapes this machine does not have.
inline std::filesystem::path fixturePath(std::string_view relative) {
    return std::filesystem::path(VANTRIC_FIXTURES) / relative;
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

inline std::string readFixture(std::string_view relative) {
    return readFile(fixturePath(relative));
}

inline void writeFile(const std::filesystem::path& path, std::string_view text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// A string literal with the zero bytes inside it kept.
template <std::size_t size>
std::string bytes(const char (&literal)[size]) {
    return std::string(literal, size - 1);
}

// A private copy of a fixture tree (or an empty folder) that the test may change; removed with
// the object.
class TemporaryTree {
public:
    explicit TemporaryTree(std::string_view fixtureHost = {}) {
        std::random_device seed;
        root_ = std::filesystem::temp_directory_path() /
                ("vantric-test-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(root_);
        if (!fixtureHost.empty()) {
            std::filesystem::copy(fixturePath("hosts") / fixtureHost, root_,
                                  std::filesystem::copy_options::recursive);
        }
    }
    ~TemporaryTree() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TemporaryTree(const TemporaryTree&) = delete;
    TemporaryTree& operator=(const TemporaryTree&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path operator/(std::string_view relative) const { return root_ / relative; }

private:
    std::filesystem::path root_;
};

}  // namespace vantric::testing
