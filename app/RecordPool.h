// Image records lent to the threads of a batch: each item borrows a record set up like the
// pool's pattern and gives it back, so a batch of any length uses one record per thread and
// every record keeps its read buffer from file to file.
#pragma once

#include "app/TarvoData.h"

#include <memory>
#include <mutex>
#include <vector>

namespace tarvo {

class TRecordPool {
public:
    // Records in wipeMode with the wipe settings of pattern (CopyWipeSettings) as they are
    // when each record is made; pattern outlives the pool. Without one, the defaults.
    explicit TRecordPool(bool wipeMode, const TTarvoData* pattern = nullptr)
        : FWipeMode(wipeMode), FPattern(pattern) {}

    // A record, cleared, given back when the returned handle goes.
    class TLoan {
    public:
        TLoan(TRecordPool& pool, std::unique_ptr<TTarvoData> record)
            : FPool(pool), FRecord(std::move(record)) {}
        TLoan(const TLoan&) = delete;
        TLoan& operator=(const TLoan&) = delete;
        ~TLoan() { FPool.GiveBack(std::move(FRecord)); }
        TTarvoData& operator*() const { return *FRecord; }
        TTarvoData* operator->() const { return FRecord.get(); }

    private:
        TRecordPool& FPool;
        std::unique_ptr<TTarvoData> FRecord;
    };

    TLoan Borrow() {
        std::unique_ptr<TTarvoData> record;
        {
            const std::lock_guard lock(FMutex);
            if (!FFree.empty()) {
                record = std::move(FFree.back());
                FFree.pop_back();
            }
        }
        if (!record) {
            record = std::make_unique<TTarvoData>(FWipeMode);
            if (FPattern != nullptr) record->CopyWipeSettings(*FPattern);
        }
        return TLoan(*this, std::move(record));
    }

private:
    void GiveBack(std::unique_ptr<TTarvoData> record) {
        if (!record) return;
        record->Clear();
        const std::lock_guard lock(FMutex);
        FFree.push_back(std::move(record));
    }

    const bool FWipeMode;
    const TTarvoData* const FPattern;
    std::mutex FMutex;
    std::vector<std::unique_ptr<TTarvoData>> FFree;
};

} // namespace tarvo
