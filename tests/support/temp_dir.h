#pragma once
// A fresh folder for one test, removed with everything in it.
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace orv::test {

class TempDir {
public:
    // Creates a new, empty folder under the system's temporary folder; its name is unique among
    // all processes (mkdtemp), so parallel test runs never share it. Throws std::runtime_error
    // when it cannot be created.
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orv_test_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder in " + pattern);
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of `name` inside the folder (nothing is created).
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }
    // The same as text, for command lines.
    std::string File(std::string_view name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace orv::test
