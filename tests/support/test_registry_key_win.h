#pragma once
// A registry key of the current user for one test: deleted before the
// test starts and after it ends.
#include <windows.h>

#include <string>

namespace vigilor::test {

class TestRegistryKey {
public:
    explicit TestRegistryKey(const std::string& name);
    ~TestRegistryKey();
    TestRegistryKey(const TestRegistryKey&) = delete;
    TestRegistryKey& operator=(const TestRegistryKey&) = delete;

    const std::string& Path() const { return path_; }
    bool Exists() const;
    // Raw access, to plant values of any type.
    void SetRaw(const std::string& name, DWORD type, const void* data, DWORD bytes);
    void SetText(const std::string& name, const std::string& value);

private:
    std::string path_;
};

}  // namespace vigilor::test
