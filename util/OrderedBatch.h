// A batch of independent items worked on by a few threads, whose results are handed on in
// the items' order on the calling thread: the parallel engine of the folder runs and of the
// command-line tool's show and wipe, which must print and count exactly as one thread would.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace tarvo {

namespace detail {

// Calls call and answers what it threw, or nothing. The batch's one catch: a failure of an
// item's work (on any thread) or of done ends the batch, and is thrown again on the calling
// thread once every thread has stopped.
template <typename TCall> std::exception_ptr Caught(TCall&& call) noexcept {
    try {
        call();
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

} // namespace detail

// The threads a batch uses by default: one per core, and at least 4, since most of a batch's
// time is spent waiting for the disk.
inline int DefaultJobs() {
    return std::max(4, static_cast<int>(std::thread::hardware_concurrency()));
}

// Calls work(i) for i = 0 .. count - 1 on up to jobs threads, the calling thread among them
// (jobs 1: on the calling thread alone, one item after the other), and done(i, result) on
// the calling thread in the order of i.
// stop is asked on the calling thread before the first item and after each item handed on;
// once it answers true no item is started, and the items already started finish and are
// handed on, so the items handed on are always the first ones. At most a few items per
// thread run ahead of the one handed on next, so memory does not grow with count. An
// exception from work or done ends the batch: the items in progress finish, nothing more is
// handed on, and the exception is thrown again here. Answers how many items were handed on.
// keys, when given (one per item), keep items of one key apart: an item starts only after
// every earlier item of its key was handed on, as if one thread did them (two names of one
// file are wiped one after the other).
template <typename TResult>
std::size_t RunOrdered(std::size_t count, int jobs, const std::function<TResult(std::size_t)>& work,
                       const std::function<void(std::size_t, TResult&&)>& done,
                       const std::function<bool()>& stop = {},
                       const std::vector<std::uint64_t>& keys = {}) {
    if (jobs <= 1) {
        std::size_t i = 0;
        for (; i < count && !(stop && stop()); ++i)
            done(i, work(i));
        return i;
    }
    const std::size_t ahead = 4 * static_cast<std::size_t>(jobs);
    // Locking. The one mutex guards all of the batch's state below: window, next, handed,
    // stopped, failure and lastOfKey (count, ahead and keys do not change). work, done and
    // stop are called with the mutex let go. An item is taken (next counted on, its key
    // noted) under the lock; the lock is let go while work runs and taken again to put the
    // result into the window (run). The calling thread moves the front result out of the
    // window and counts it handed under the lock, then lets go for done and for stop: they
    // write output, show progress and may take long, and meanwhile the workers keep taking
    // items and storing results; done works on its own moved result, and an exception from
    // it is recorded once the lock is taken again. The first stop, before the threads
    // start, needs no lock.
    //
    // Both condition variables are waited on with the mutex held:
    // - workersWake: a worker waits on it until an item may be started (the window has room:
    //   next < handed + ahead) or the batch ends (stopped, or every item taken); and, having
    //   taken an item whose key has an earlier item not yet handed on, until that item is
    //   handed on or the batch has failed. Everything that moves handed on or ends the batch
    //   wakes all workers: the calling thread after each item it hands on (the lock still
    //   held), run when work throws, and the calling thread once more at the end, after
    //   setting stopped and letting go of the lock, before it joins them. A stop answered by
    //   stop() sets stopped without a wake: a worker waiting for room starts nothing either
    //   way and is woken by the next item handed on or at the end.
    // - callerWake: only the calling thread waits on it, when it has nothing to hand on and
    //   may not start the next item itself, until the front item is done, the batch has
    //   failed, or nothing more will come. run wakes it (notify_one: one waiter) when the
    //   item it finished is the front one (i == handed) or work threw. Nothing else needs
    //   to: "nothing more will come" comes true only through the calling thread's own steps
    //   or a failure, and a result stored behind the front is found when its turn comes,
    //   since the loop looks at the window before it waits.
    // The calling thread waits only while the front item is being worked on by a worker,
    // which then wakes it. When the loop ends without a failure every item taken has been
    // handed on, so no worker waits for an earlier item of its key; after a failure such a
    // worker wakes on it and leaves its item undone.
    std::mutex mutex;
    std::condition_variable workersWake; // an item may be started, or the batch ends
    std::condition_variable callerWake;  // the next item to hand on is done, or the batch ends
    std::deque<std::optional<TResult>> window; // results of the items from `handed` on
    std::size_t next = 0;                      // the next item to start
    std::size_t handed = 0;                    // items handed on
    bool stopped = stop && stop();
    std::exception_ptr failure;
    std::unordered_map<std::uint64_t, std::size_t> lastOfKey; // the last item started per key

    // Takes the next item (the lock held); the earlier item of its key, if one is not yet
    // handed on, in before.
    const auto take = [&](std::size_t& before) {
        const std::size_t i = next++;
        window.resize(std::max(window.size(), i - handed + 1));
        before = i;
        if (i < keys.size()) {
            const auto [earlier, first] = lastOfKey.try_emplace(keys[i], i);
            if (!first) {
                if (earlier->second >= handed) before = earlier->second;
                earlier->second = i;
            }
        }
        return i;
    };
    // Works on item i (the lock held, let go meanwhile) and keeps its result.
    const auto run = [&](std::unique_lock<std::mutex>& lock, std::size_t i) {
        lock.unlock();
        std::optional<TResult> result;
        const std::exception_ptr error = detail::Caught([&] { result.emplace(work(i)); });
        lock.lock();
        if (error) {
            if (!failure) failure = error;
            stopped = true;
            workersWake.notify_all();
        } else {
            window[i - handed] = std::move(result);
        }
        if (error || i == handed) callerWake.notify_one();
    };
    const auto worker = [&] {
        std::unique_lock lock(mutex);
        for (;;) {
            workersWake.wait(lock,
                             [&] { return stopped || next >= count || next < handed + ahead; });
            if (stopped || next >= count) return;
            std::size_t before = 0;
            const std::size_t i = take(before);
            if (before != i) {
                workersWake.wait(lock, [&] { return failure || handed > before; });
                if (failure) return;
            }
            run(lock, i);
        }
    };
    // The calling thread works on items too, and hands the done ones on between them.
    std::vector<std::thread> threads;
    const std::size_t threadCount =
        std::min<std::size_t>(static_cast<std::size_t>(jobs) - 1, count);
    threads.reserve(threadCount);
    for (std::size_t t = 0; t < threadCount; ++t) {
        // A thread the system refuses (a limit on processes) leaves the batch to the threads
        // it has, the calling thread among them, instead of ending the program.
        try {
            threads.emplace_back(worker);
        } catch (const std::system_error&) {
            break;
        }
    }

    std::unique_lock lock(mutex);
    for (;;) {
        if (failure) break;
        if (!window.empty() && window.front()) {
            TResult result = std::move(*window.front());
            window.pop_front();
            const std::size_t i = handed++;
            workersWake.notify_all();
            lock.unlock();
            bool stopNow = false;
            const std::exception_ptr error = detail::Caught([&] {
                done(i, std::move(result));
                stopNow = stop && stop();
            });
            lock.lock();
            if (error) {
                if (!failure) failure = error;
                break;
            }
            if (stopNow) stopped = true;
            continue;
        }
        if (handed >= next && (stopped || next >= count)) break; // nothing more will come
        // An item of a key still in progress is left to a worker: this thread must hand on.
        const bool free =
            !stopped && next < count && next < handed + ahead &&
            (next >= keys.size() || !lastOfKey.count(keys[next]) || lastOfKey[keys[next]] < handed);
        if (free) {
            std::size_t before = 0;
            run(lock, take(before));
            continue;
        }
        callerWake.wait(lock, [&] {
            return failure || (!window.empty() && window.front()) ||
                   (handed >= next && (stopped || next >= count));
        });
    }
    stopped = true;
    lock.unlock();
    workersWake.notify_all();
    for (std::thread& thread : threads)
        thread.join();
    if (failure) std::rethrow_exception(failure);
    return handed;
}

// RunOrdered over items: work(item) for each, done(i, result) in the items' order. keyOf, when
// given, names what an item works on (a file's identity): two items of one key are never
// worked on at once. It is asked only when jobs > 1, as one thread takes the items one after
// the other anyway.
template <typename TResult, typename TItem>
std::size_t
RunOrderedOver(const std::vector<TItem>& items, int jobs,
               const std::type_identity_t<std::function<TResult(const TItem&)>>& work,
               const std::function<void(std::size_t, TResult&&)>& done,
               const std::function<bool()>& stop = {},
               const std::type_identity_t<std::function<std::uint64_t(const TItem&)>>& keyOf = {}) {
    std::vector<std::uint64_t> keys;
    if (jobs > 1 && keyOf) {
        keys.reserve(items.size());
        for (const TItem& item : items)
            keys.push_back(keyOf(item));
    }
    return RunOrdered<TResult>(
        items.size(), jobs, [&](std::size_t i) { return work(items[i]); }, done, stop, keys);
}

} // namespace tarvo
