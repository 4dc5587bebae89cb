#include "monitor/pass_reads.h"

#include <algorithm>
#include <map>
#include <utility>

#include "platform/text.h"

namespace vigilor {

void BlockingReadsWait::Notify() {
    const std::lock_guard lock(mutex_);
    changed_.notify_all();
}

void BlockingReadsWait::Wait(const std::function<bool()>& ready) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, ready);
}

PassReads::PassReads(const std::vector<MonitoredService>& rows, RowReaderFactory& readers, ReadsWait& wait,
                     std::size_t maxWorkers)
    : rows_(rows), readers_(readers), wait_(wait), slots_(rows.size()) {
    std::map<std::string, std::size_t> computerOf;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        const auto [at, added] = computerOf.emplace(UpperAscii(rows_[row].server), computers_.size());
        if (added) computers_.emplace_back();
        computers_[at->second].rows.push_back(row);
    }
    const std::size_t workers = std::min(maxWorkers, computers_.size());
    for (std::size_t n = 0; n < workers; ++n) {
        {
            const std::lock_guard lock(mutex_);
            ++running_;
        }
        try {
            workers_.emplace_back([this] { Work(); });
        } catch (...) {
            {
                const std::lock_guard lock(mutex_);
                --running_;
            }
            StopAndJoin();
            throw;
        }
    }
}

PassReads::~PassReads() { StopAndJoin(); }

void PassReads::StopAndJoin() {
    stop_.request_stop();
    // A worker ends after its current call, which may wait for the network:
    // the wait keeps the window alive meanwhile.
    wait_.Wait([this] {
        const std::lock_guard lock(mutex_);
        return running_ == 0;
    });
    for (std::thread& worker : workers_) worker.join();
    workers_.clear();
}

const RowRead& PassReads::Take(std::size_t row) {
    wait_.Wait([this, row] {
        const std::lock_guard lock(mutex_);
        return slots_[row].done;
    });
    return slots_[row].read;
}

void PassReads::Work() {
    for (;;) {
        const Computer* computer = nullptr;
        {
            const std::lock_guard lock(mutex_);
            if (!stop_.stop_requested() && nextComputer_ < computers_.size())
                computer = &computers_[nextComputer_++];
        }
        if (!computer) break;
        ReadComputer(*computer);
    }
    {
        const std::lock_guard lock(mutex_);
        --running_;
    }
    wait_.Notify();
}

void PassReads::ReadComputer(const Computer& computer) {
    RowRead read;
    ReadStep step = ReadStep::Liveness;
    std::size_t at = 0;
    try {
        const std::unique_ptr<RowReader> reader = readers_.NewReader(stop_.get_token());
        if (!reader->IsMachineAlive(rows_[computer.rows.front()].server)) {
            Finish(computer, at, std::move(read), true);
            return;
        }
        for (; at < computer.rows.size(); ++at) {
            if (stop_.stop_requested()) return;
            const MonitoredService& row = rows_[computer.rows[at]];
            read = RowRead{};
            read.alive = true;
            step = ReadStep::KeyName;
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
            Finish(computer, at, std::move(read), false);
        }
    } catch (...) {
        read.error = std::current_exception();
        read.failedAt = step;
        Finish(computer, at, std::move(read), true);
    }
}

void PassReads::Finish(const Computer& computer, std::size_t at, RowRead read, bool last) {
    {
        const std::lock_guard lock(mutex_);
        // The computer's reads end here: its later rows are never reached,
        // but none of them may leave a wait hanging.
        if (last)
            for (std::size_t later = at + 1; later < computer.rows.size(); ++later)
                slots_[computer.rows[later]] = {read, true};
        slots_[computer.rows[at]] = {std::move(read), true};
    }
    wait_.Notify();
}

}  // namespace vigilor
