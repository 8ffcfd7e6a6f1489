#pragma once

#include <string>

#include "platform/ProcessLauncher.h"

// The current folder and CreateProcessW, paths in UTF-8.
class Win32Launcher : public ProcessLauncher {
public:
    std::string CurrentDirectory() override;
    bool ChangeDrive(const std::string& drive, std::string& error) override;
    bool ChangeDirectory(const std::string& folder, std::string& error) override;
    std::string FullPath(const std::string& path) override;
    bool Start(const std::string& application, const std::string& commandLine, std::string& error) override;
};
