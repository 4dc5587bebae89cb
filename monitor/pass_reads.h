#pragma once
// The reads of a check pass, made ahead of the walk: one worker per distinct
// computer of the list (letter case ignored), at most kMaxPassWorkers at
// once, each with a reader of its own. A worker checks its computer's
// liveness once, then reads that computer's rows in list order. The walk
// takes each row's result in its turn; what a worker raised is raised again
// there, at the step where reading the row in its turn would have raised.
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "monitor/monitored_service.h"
#include "monitor/service_reading.h"

namespace vigilor {

// The reads of one computer's rows. Used by one thread at a time.
class RowReader {
public:
    virtual ~RowReader() = default;
    virtual std::string ServiceKeyName(const std::string& machine, const std::string& displayName) = 0;
    // Name look-up and one echo; machine in the "\\" + name form.
    virtual bool IsMachineAlive(const std::string& machine) = 0;
    virtual bool ServiceIsRunning(const std::string& machine, const std::string& keyName) = 0;
    virtual bool ServiceIsStopped(const std::string& machine, const std::string& keyName) = 0;
    // Why the service is neither running nor stopped; asked only then, and
    // before ServiceQueriesDone.
    virtual ServiceReading ReadService(const std::string& machine, const std::string& displayName) = 0;
    // The row's queries are over: a service handle they kept is closed now
    // (a deleted service stays "marked for delete" while any handle to it
    // is open).
    virtual void ServiceQueriesDone() = 0;
};

// Makes the reader of one worker; called on the worker's thread, by
// several workers at once. Whatever the reader opens it closes there. A
// reader may give up a wait of its own once stop is requested (the pass has
// ended); what it answers then is dropped.
class RowReaderFactory {
public:
    virtual ~RowReaderFactory() = default;
    virtual std::unique_ptr<RowReader> NewReader(std::stop_token stop) = 0;
};

// How the walk's thread waits for the workers; the program's keeps the
// window alive meanwhile.
class ReadsWait {
public:
    virtual ~ReadsWait() = default;
    // From a worker: something the walk may be waiting for has happened.
    virtual void Notify() = 0;
    // Returns once ready() holds; asks it again after every Notify.
    virtual void Wait(const std::function<bool()>& ready) = 0;
};

// A wait that blocks the thread; for hosts without a window.
class BlockingReadsWait : public ReadsWait {
public:
    void Notify() override;
    void Wait(const std::function<bool()>& ready) override;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
};

// The steps of a row's reads in the walk's order.
enum class ReadStep { KeyName, Liveness, Running, Stopped, Reading, QueriesDone };

// What was read of one row. Plain data: no handle of the worker's in it.
struct RowRead {
    std::string keyName;
    bool alive = false;
    bool running = false;
    bool stopped = false;
    std::optional<ServiceReading> reading;  // only when neither running nor stopped
    std::exception_ptr error;               // what the reads raised, at failedAt
    ReadStep failedAt = ReadStep::KeyName;

    // Raises the reads' error if it came at this step.
    void RaiseAt(ReadStep step) const {
        if (error && failedAt == step) std::rethrow_exception(error);
    }
};

constexpr std::size_t kMaxPassWorkers = 16;

class PassReads {
public:
    // Starts the workers at once.
    PassReads(const std::vector<MonitoredService>& rows, RowReaderFactory& readers, ReadsWait& wait,
              std::size_t maxWorkers = kMaxPassWorkers);
    // Tells the workers to stop after their current call and waits for
    // every one of them, however the pass ended.
    ~PassReads();
    PassReads(const PassReads&) = delete;
    PassReads& operator=(const PassReads&) = delete;

    // The row's reads, waited for.
    const RowRead& Take(std::size_t row);

private:
    struct Computer {
        std::vector<std::size_t> rows;  // in list order
    };
    struct Slot {
        RowRead read;
        bool done = false;
    };
    void Work();
    void ReadComputer(const Computer& computer);
    // Fills the slot (and, when the computer's reads end there, the slots
    // of its rows after it) and tells the walk.
    void Finish(const Computer& computer, std::size_t at, RowRead read, bool last);
    void StopAndJoin();

    const std::vector<MonitoredService> rows_;
    RowReaderFactory& readers_;
    ReadsWait& wait_;
    std::vector<Computer> computers_;
    std::vector<Slot> slots_;

    std::mutex mutex_;
    std::size_t nextComputer_ = 0;
    std::size_t running_ = 0;
    std::stop_source stop_;
    std::vector<std::thread> workers_;
};

}  // namespace vigilor
