#pragma once
// The reads of a check pass, made ahead of the walk: one worker per distinct
// computer of the list (letter case ignored), at most kMaxPassWorkers at
// once, each with a reader of its own. A worker checks its computer's
// liveness once, then reads that computer's rows in list order. The walk
// takes each row's result in its turn; what a worker raised is raised again
// there, at the step where reading the row in its turn would have raised.
#include <chrono>
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

// Thrown through the walk when whoever runs the pass gives it up (the
// program is closing); not an error of the row.
struct PassAbandoned {};

// Workers still inside a call that cannot be cancelled when their pass
// ended. Each is joined once it has ended on its own; what is left when
// this goes (the program is ending) is let go.
class LingeringWorkers {
public:
    LingeringWorkers() = default;
    ~LingeringWorkers();
    LingeringWorkers(const LingeringWorkers&) = delete;
    LingeringWorkers& operator=(const LingeringWorkers&) = delete;

    // ended tells, under no lock of ours, whether the worker is over.
    void Adopt(std::thread worker, std::function<bool()> ended);
    void JoinEnded();
    std::size_t Count() const;

private:
    struct Worker {
        std::thread thread;
        std::function<bool()> ended;
    };
    mutable std::mutex mutex_;
    std::vector<Worker> workers_;
};

// How long the walk waits for one computer's reads, and who may end the
// wait.
struct ReadLimits {
    std::chrono::milliseconds bound{60000};
    std::stop_token abandon;               // requested: the walk's waits throw PassAbandoned
    LingeringWorkers* lingering = nullptr;  // null: the pass's end waits for every worker
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

// The reading of a row whose computer's service manager has not answered
// within the bound.
ServiceReading NoAnswerWithin(std::chrono::milliseconds bound);

class PassReads {
public:
    // Starts the workers at once.
    PassReads(const std::vector<MonitoredService>& rows, RowReaderFactory& readers, ReadLimits limits = {},
              std::size_t maxWorkers = kMaxPassWorkers);
    // Tells the workers to stop after their current call; waits for those
    // that end by then and leaves the others to the lingering workers.
    ~PassReads();
    PassReads(const PassReads&) = delete;
    PassReads& operator=(const PassReads&) = delete;

    // The row's reads, waited for at most the bound: a computer that has
    // not answered by then reads as NoAnswerWithin for this row and the rest
    // of its rows.
    const RowRead& Take(std::size_t row);

private:
    struct Computer {
        std::vector<std::size_t> rows;  // in list order
    };
    struct Slot {
        RowRead read;
        bool done = false;
    };
    // What the workers share with the walk; a worker that outlives the
    // pass keeps it.
    struct Shared {
        std::vector<MonitoredService> rows;
        std::vector<Computer> computers;
        std::vector<std::size_t> computerOfRow;
        std::vector<Slot> slots;
        std::mutex mutex;
        std::condition_variable_any changed;
        std::size_t nextComputer = 0;
        std::vector<bool> givenUp;                        // by computer
        std::vector<std::optional<std::size_t>> busyWith;  // by worker: the computer it reads
        std::vector<bool> ended;                          // by worker
        std::stop_source stop;
    };
    static void Work(const std::shared_ptr<Shared>& shared, RowReaderFactory& readers, std::size_t worker);
    static void ReadComputer(Shared& shared, RowReaderFactory& readers, const Computer& computer);
    // Fills the slot (and, when the computer's reads end there, the slots
    // of its rows after it) and tells the walk. A slot the walk has given
    // up on keeps what it was given.
    static void Finish(Shared& shared, const Computer& computer, std::size_t at, RowRead read, bool last);
    void GiveUpComputer(std::size_t computer);
    void StopWorkers();

    std::shared_ptr<Shared> shared_;
    ReadLimits limits_;
    std::vector<std::thread> workers_;
};

}  // namespace vigilor
