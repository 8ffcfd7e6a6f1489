#pragma once

#include <functional>
#include <string>

#include "SteppedFiles.h"

// Fails the n-th file operation (counting from 0) with a made-up error; a
// write that fails leaves half its bytes behind, as a full disk would.
class FaultyFiles : public SteppedFiles {
public:
    explicit FaultyFiles(MissionFiles& real, int failAt = -1) : SteppedFiles(real), failAt_(failAt) {}
    bool injected = false;
    std::function<void(const std::string&)> afterRead;  // runs after each read, with its path

    // Removing a scratch file is neither counted nor failed.
    bool Remove(const std::string& p, std::string& err) override { return real_.Remove(p, err); }

private:
    bool Go(int operation, std::string& err) override {
        if (operation != failAt_) return true;
        injected = true;
        err = "access denied (injected)";
        return false;
    }
    bool HalfWrite(int operation) override { return operation == failAt_; }
    void AfterRead(const std::string& path) override {
        if (afterRead) afterRead(path);
    }
    int failAt_;
};
