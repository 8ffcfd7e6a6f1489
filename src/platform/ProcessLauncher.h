#pragma once

#include <string>

// Current folder and process creation, for launching the lobby client.
// Failures come back as false with the system's error text.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    virtual std::string CurrentDirectory() = 0;
    // Makes drive ("C:") the current drive, at that drive's current folder.
    virtual bool ChangeDrive(const std::string& drive, std::string& error) = 0;
    virtual bool ChangeDirectory(const std::string& folder, std::string& error) = 0;
    // path made full against the current folder.
    virtual std::string FullPath(const std::string& path) = 0;
    // CreateProcessA with this application name and command line, inheriting
    // handles, normal priority, the program's environment and current folder.
    virtual bool Start(const std::string& application, const std::string& commandLine, std::string& error) = 0;
};
