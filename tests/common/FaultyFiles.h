#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/MissionFiles.h"

// Fails the n-th file operation (counting from 0) with a made-up error; a
// write that fails leaves half its bytes behind, as a full disk would.
class FaultyFiles : public MissionFiles {
public:
    explicit FaultyFiles(MissionFiles& real, int failAt = -1) : real_(real), failAt_(failAt) {}
    int operations = 0;
    bool injected = false;
    std::function<void(const std::string&)> afterRead;  // runs after each read, with its path

    ListStatus List(const std::string& f, std::vector<MissionEntry>& e, std::string& err) override {
        if (Fail(err)) return ListStatus::Failed;
        return real_.List(f, e, err);
    }
    ReadStatus Read(const std::string& p, std::size_t max, std::string& b, FileFacts& facts,
                    std::string& err) override {
        if (Fail(err)) return ReadStatus::Failed;
        const ReadStatus status = real_.Read(p, max, b, facts, err);
        if (afterRead) afterRead(p);
        return status;
    }
    bool Facts(const std::string& p, FileFacts& facts, std::string& err) override {
        return !Fail(err) && real_.Facts(p, facts, err);
    }
    bool Write(const std::string& p, const std::string& b, std::string& err) override {
        if (operations == failAt_) {
            std::string ignored;
            real_.Write(p, b.substr(0, b.size() / 2), ignored);
        }
        return !Fail(err) && real_.Write(p, b, err);
    }
    bool Flush(const std::string& p, std::string& err) override { return !Fail(err) && real_.Flush(p, err); }
    ReplaceOutcome Replace(const std::string& f, const std::string& t, std::string& err) override {
        return Fail(err) ? ReplaceOutcome::Unchanged : real_.Replace(f, t, err);
    }
    bool MoveNew(const std::string& f, const std::string& t, std::string& err) override {
        return !Fail(err) && real_.MoveNew(f, t, err);
    }
    bool Remove(const std::string& p, std::string& err) override { return real_.Remove(p, err); }
    std::string UpperCaseName(const std::string& name) override { return real_.UpperCaseName(name); }

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
