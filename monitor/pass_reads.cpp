#include "monitor/pass_reads.h"

#include <algorithm>
#include <map>
#include <utility>

#include "platform/text.h"

namespace vigilor {

LingeringWorkers::~LingeringWorkers() {
    JoinEnded();
    for (Worker& worker : workers_) worker.thread.detach();
}

void LingeringWorkers::Adopt(std::thread worker, std::function<bool()> ended) {
    const std::lock_guard lock(mutex_);
    workers_.push_back({std::move(worker), std::move(ended)});
}

void LingeringWorkers::JoinEnded() {
    const std::lock_guard lock(mutex_);
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (!it->ended()) {
            ++it;
            continue;
        }
        it->thread.join();
        it = workers_.erase(it);
    }
}

std::size_t LingeringWorkers::Count() const {
    const std::lock_guard lock(mutex_);
    return workers_.size();
}

ServiceReading NoAnswerWithin(std::chrono::milliseconds bound) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(bound).count();
    return {ServiceReading::Kind::Unreadable, 0,
            "no answer from its service manager within " + std::to_string(seconds) + " s"};
}

PassReads::PassReads(const std::vector<MonitoredService>& rows, RowReaderFactory& readers, ReadLimits limits,
                     std::size_t maxWorkers)
    : shared_(std::make_shared<Shared>()), limits_(std::move(limits)) {
    Shared& shared = *shared_;
    shared.rows = rows;
    shared.slots.resize(rows.size());
    std::map<std::string, std::size_t> computerOf;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const auto [at, added] = computerOf.emplace(UpperAscii(rows[row].server), shared.computers.size());
        if (added) shared.computers.emplace_back();
        shared.computers[at->second].rows.push_back(row);
        shared.computerOfRow.push_back(at->second);
    }
    shared.givenUp.assign(shared.computers.size(), false);
    const std::size_t workers = std::min(maxWorkers, shared.computers.size());
    shared.busyWith.resize(workers);
    shared.ended.assign(workers, false);
    for (std::size_t n = 0; n < workers; ++n) {
        try {
            workers_.emplace_back([shared = shared_, &readers, n] { Work(shared, readers, n); });
        } catch (...) {
            {
                const std::lock_guard lock(shared.mutex);
                for (std::size_t never = n; never < workers; ++never) shared.ended[never] = true;
            }
            StopWorkers();
            throw;
        }
    }
}

PassReads::~PassReads() { StopWorkers(); }

void PassReads::StopWorkers() {
    Shared& shared = *shared_;
    shared.stop.request_stop();
    {
        // A worker ends after its current call. One inside a computer the
        // walk gave up on may never return; nor is it waited for when the
        // pass is abandoned.
        std::unique_lock lock(shared.mutex);
        shared.changed.wait(lock, limits_.abandon, [&] {
            for (std::size_t n = 0; n < shared.ended.size(); ++n)
                if (!shared.ended[n] && !(shared.busyWith[n] && shared.givenUp[*shared.busyWith[n]])) return false;
            return true;
        });
    }
    for (std::size_t n = 0; n < workers_.size(); ++n) {
        bool ended;
        {
            const std::lock_guard lock(shared.mutex);
            ended = shared.ended[n];
        }
        if (ended || !limits_.lingering) {
            workers_[n].join();
            continue;
        }
        limits_.lingering->Adopt(std::move(workers_[n]), [shared = shared_, n] {
            const std::lock_guard lock(shared->mutex);
            return static_cast<bool>(shared->ended[n]);
        });
    }
    workers_.clear();
}

const RowRead& PassReads::Take(std::size_t row) {
    Shared& shared = *shared_;
    std::unique_lock lock(shared.mutex);
    const auto deadline = std::chrono::steady_clock::now() + limits_.bound;
    const bool done =
        shared.changed.wait_until(lock, limits_.abandon, deadline, [&] { return shared.slots[row].done; });
    if (limits_.abandon.stop_requested()) throw PassAbandoned{};
    if (!done) {
        lock.unlock();
        GiveUpComputer(shared.computerOfRow[row]);
    }
    return shared.slots[row].read;
}

void PassReads::GiveUpComputer(std::size_t computer) {
    Shared& shared = *shared_;
    RowRead read;
    read.alive = true;
    read.reading = NoAnswerWithin(limits_.bound);
    const std::lock_guard lock(shared.mutex);
    shared.givenUp[computer] = true;
    for (std::size_t row : shared.computers[computer].rows)
        if (!shared.slots[row].done) shared.slots[row] = {read, true};
}

void PassReads::Work(const std::shared_ptr<Shared>& shared, RowReaderFactory& readers, std::size_t worker) {
    for (;;) {
        const Computer* computer = nullptr;
        {
            const std::lock_guard lock(shared->mutex);
            if (!shared->stop.stop_requested() && shared->nextComputer < shared->computers.size()) {
                shared->busyWith[worker] = shared->nextComputer;
                computer = &shared->computers[shared->nextComputer++];
            }
        }
        if (!computer) break;
        ReadComputer(*shared, readers, *computer);
    }
    {
        const std::lock_guard lock(shared->mutex);
        shared->busyWith[worker].reset();
        shared->ended[worker] = true;
    }
    shared->changed.notify_all();
}

void PassReads::ReadComputer(Shared& shared, RowReaderFactory& readers, const Computer& computer) {
    std::unique_ptr<RowReader> reader;
    try {
        reader = readers.NewReader(shared.stop.get_token());
        if (!reader->IsMachineAlive(shared.rows[computer.rows.front()].server)) {
            Finish(shared, computer, 0, RowRead{}, true);
            return;
        }
    } catch (...) {
        // Without a reader or a liveness answer none of its rows is read.
        RowRead read;
        read.error = std::current_exception();
        read.failedAt = ReadStep::Liveness;
        Finish(shared, computer, 0, std::move(read), true);
        return;
    }
    for (std::size_t at = 0; at < computer.rows.size(); ++at) {
        if (shared.stop.stop_requested()) return;
        const MonitoredService& row = shared.rows[computer.rows[at]];
        RowRead read;
        read.alive = true;
        ReadStep step = ReadStep::KeyName;
        try {
            read.keyName = reader->ServiceKeyName(row.server, row.service);
            step = ReadStep::Running;
            read.running = reader->ServiceIsRunning(row.server, read.keyName);
            step = ReadStep::Stopped;
            read.stopped = reader->ServiceIsStopped(row.server, read.keyName);
            if (!read.running && !read.stopped) {
                step = ReadStep::Reading;
                read.reading = reader->ReadService(row.server, row.service);
            }
            step = ReadStep::QueriesDone;
            reader->ServiceQueriesDone();
        } catch (...) {
            // The row's error; the computer's later rows are read as usual.
            read.error = std::current_exception();
            read.failedAt = step;
        }
        Finish(shared, computer, at, std::move(read), false);
    }
}

void PassReads::Finish(Shared& shared, const Computer& computer, std::size_t at, RowRead read, bool last) {
    {
        const std::lock_guard lock(shared.mutex);
        // The computer's reads end here: its later rows are never reached,
        // but none of them may leave a wait hanging.
        if (last)
            for (std::size_t later = at + 1; later < computer.rows.size(); ++later)
                if (!shared.slots[computer.rows[later]].done) shared.slots[computer.rows[later]] = {read, true};
        if (!shared.slots[computer.rows[at]].done) shared.slots[computer.rows[at]] = {std::move(read), true};
    }
    shared.changed.notify_all();
}

}  // namespace vigilor
