#pragma once

#include <string>
#include <vector>

#include "platform/MissionFiles.h"

// Fails the n-th file operation (counting from 0) with a made-up error.
class FaultyFiles : public MissionFiles {
public:
    explicit FaultyFiles(MissionFiles& real, int failAt) : real_(real), failAt_(failAt) {}
    int operations = 0;
    bool injected = false;

    ListStatus List(const std::string& f, std::vector<MissionEntry>& e, std::string& err) override {
        if (Fail(err)) return ListStatus::Failed;
        return real_.List(f, e, err);
    }
    bool Read(const std::string& p, std::string& b, std::string& err) override {
        return !Fail(err) && real_.Read(p, b, err);
    }
    bool WriteDurably(const std::string& p, const std::string& b, std::string& err) override {
        if (operations == failAt_) {
            // A write that fails half-way leaves a partial scratch file behind.
            ++operations;
            injected = true;
            std::string ignored;
            real_.WriteDurably(p, b.substr(0, b.size() / 2), ignored);
            err = "disk full (injected)";
            return false;
        }
        ++operations;
        return real_.WriteDurably(p, b, err);
    }
    bool Replace(const std::string& f, const std::string& t, std::string& err) override {
        return !Fail(err) && real_.Replace(f, t, err);
    }
    bool Remove(const std::string& p, std::string& err) override { return real_.Remove(p, err); }

private:
    bool Fail(std::string& err) {
        if (operations++ != failAt_) return false;
        injected = true;
        err = "access denied (injected)";
        return true;
    }
    MissionFiles& real_;
    int failAt_;
};
