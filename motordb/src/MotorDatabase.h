// The motor database: the built-in motors plus the motors of extension files, looked up by
// name ignoring letter case.
//
// Index: 97 hash buckets of record references (HashBucket of the name), each chain with its
// newest record first, and the name list of every record in order of addition; iteration walks
// the name list from the newest record to the first built-in one. Extension records are always
// newer than built-in ones, so flushing removes them from the front of every chain and of the
// name list, down to the built-in mark.
//
// Threads: one reader/writer lock guards the index. Lookups and iteration steps share it;
// adding or flushing motors takes it alone, one motor at a time. The duplicate handler is
// called with no lock held, so it may show a dialog or call back into the database. Iteration
// cursors belong to their caller (the C interface keeps one per thread), so two threads listing
// the names never disturb each other.
#pragma once

#include "MotorRecord.h"
#include "mdb700.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <shared_mutex>
#include <string>
#include <vector>

namespace mdb700 {

inline constexpr int kBucketCount = 97;

class MotorDatabase {
public:
    // Where an iteration stands: the position in the name list of the last name handed out.
    struct Cursor {
        std::size_t position = 0;
        std::uint64_t flushCount = 0;
        bool active = false;
    };

    // Builds the database of the built-in motors.
    MotorDatabase();

    MotorDatabase(const MotorDatabase &) = delete;
    MotorDatabase &operator=(const MotorDatabase &) = delete;

    bool Exists(const char *name) const;
    // A figure of the named motor, 0.0 when the name is unknown.
    double Figure(const char *name, double MotorFigures::*field) const;
    // A harmonic of the named motor, 0.0 when the name is unknown or index is outside 0..19.
    double Harmonic(const char *name, int index, bool cosine) const;

    // Reads one extension file (results: mdb700_extend_result).
    int Extend(const char *path, mdb_DuplicateHandler handler);
    // Reads the definition lines of an open file; `path` is what the handler is shown.
    int ExtendFrom(std::FILE *file, const char *path, const std::string &name,
                   mdb_DuplicateHandler handler);
    // Removes every extension motor.
    void Flush();

    // The newest name into buf (at least 9 bytes); false, with an empty buf, when empty.
    bool First(Cursor &cursor, char *buf) const;
    // The name after the cursor's; false, with an empty buf, at the end. An iteration that
    // stood on an extension motor when the extensions were flushed has ended.
    bool Next(Cursor &cursor, char *buf) const;

    std::size_t Count() const;

private:
    const MotorRecord *FindLocked(const char *name) const;
    void AddLocked(std::unique_ptr<MotorRecord> record);

    mutable std::shared_mutex mutex_;
    std::vector<std::unique_ptr<MotorRecord>> records_; // oldest first
    std::array<std::vector<const MotorRecord *>, kBucketCount> buckets_; // newest last
    std::size_t builtinMark_ = 0;
    std::uint64_t flushCount_ = 0;
};

} // namespace mdb700
