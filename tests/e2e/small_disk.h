// A disk that fills up: a tmpfs of a given size mounted over a folder for the life of the
// object, through a unix script (mounting needs root, which the tests have).
#pragma once
#include <windows.h>
#include <string>

namespace e2e {

class SmallDisk {
public:
    SmallDisk(const std::wstring& folder, int kbytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return m_mounted; }
    // Why it could not be mounted.
    const std::string& Problem() const { return m_problem; }

private:
    bool Run(const std::wstring& args);

    std::wstring m_work;
    bool m_mounted = false;
    std::string m_problem;
};

}  // namespace e2e
