#pragma once

#include <string>
#include <vector>

#include "platform/MissionFiles.h"

// Passes each mission file operation on to real files, numbering them from 0;
// a subclass decides at each step whether it goes ahead (Go), and whether a
// write leaves half its bytes on disk first, as a full disk or a crash would.
class SteppedFiles : public MissionFiles {
public:
    int operations = 0;  // steps taken so far

    ListStatus List(const std::string& f, std::vector<MissionEntry>& e, std::string& err) override {
        return Step(err) ? real_.List(f, e, err) : ListStatus::Failed;
    }
    ReadStatus Read(const std::string& p, std::size_t max, std::string& b, FileFacts& facts,
                    std::string& err) override {
        if (!Step(err)) return ReadStatus::Failed;
        const ReadStatus status = real_.Read(p, max, b, facts, err);
        AfterRead(p);
        return status;
    }
    bool Facts(const std::string& p, FileFacts& facts, std::string& err) override {
        return Step(err) && real_.Facts(p, facts, err);
    }
    bool Write(const std::string& p, const std::string& b, std::string& err) override {
        if (HalfWrite(operations)) {
            std::string ignored;
            real_.Write(p, b.substr(0, b.size() / 2), ignored);
        }
        return Step(err) && real_.Write(p, b, err);
    }
    bool Flush(const std::string& p, std::string& err) override { return Step(err) && real_.Flush(p, err); }
    ReplaceOutcome Replace(const std::string& f, const std::string& t, std::string& err) override {
        return Step(err) ? real_.Replace(f, t, err) : ReplaceOutcome::Unchanged;
    }
    bool MoveNew(const std::string& f, const std::string& t, std::string& err) override {
        return Step(err) && real_.MoveNew(f, t, err);
    }
    bool Remove(const std::string& p, std::string& err) override { return Step(err) && real_.Remove(p, err); }
    std::string UpperCaseName(const std::string& name) override { return real_.UpperCaseName(name); }

protected:
    explicit SteppedFiles(MissionFiles& real) : real_(real) {}
    // Whether operation number `operation` goes ahead; false fails it with error.
    virtual bool Go(int operation, std::string& error) = 0;
    // Whether the write that is operation number `operation` leaves half its bytes first.
    virtual bool HalfWrite(int) { return false; }
    virtual void AfterRead(const std::string&) {}

    MissionFiles& real_;

private:
    bool Step(std::string& err) { return Go(operations++, err); }
};
