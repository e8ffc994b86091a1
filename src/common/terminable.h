// The stop question of long work: CTerminable is asked whether to stop; CCanTerminate forwards
// the question to the terminable it was given (a worker thread) and answers false without one.
#pragma once

#include <atomic>

class CTerminable {
public:
    virtual ~CTerminable() = default;
    virtual bool IsTerminating() const = 0;
};

class CCanTerminate : public CTerminable {
public:
    bool IsTerminating() const override {
        const CTerminable* terminator = m_terminator.load();
        return terminator != nullptr && terminator->IsTerminating();
    }
    // True when a terminator exists and reports that the run is being stopped.
    bool CanTerminate() const { return IsTerminating(); }

    void SetTerminator(const CTerminable* terminator) { m_terminator = terminator; }
    const CTerminable* GetTerminator() const { return m_terminator.load(); }

private:
    std::atomic<const CTerminable*> m_terminator{nullptr};
};

// A terminable backed by one atomic flag, for callers that stop work without a thread object
// (the batch command's Ctrl-C, tests).
class CTerminateFlag : public CTerminable {
public:
    bool IsTerminating() const override { return m_flag.load(std::memory_order_relaxed); }
    void Set(bool flag = true) { m_flag.store(flag, std::memory_order_relaxed); }

private:
    std::atomic<bool> m_flag{false};
};
