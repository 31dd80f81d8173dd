#include "MotorDatabase.h"

#include "BuiltinMotors.h"
#include "ExtensionFile.h"
#include "HashName.h"

#include <cstring>
#include <mutex>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mdb700 {

namespace {

int Bucket(const char *name)
{
    int ret = tools700::HashBucket(name);
    return (0 <= ret) && (ret < kBucketCount) ? ret : 0;
}

void CopyName(const std::string &name, char *buf)
{
    std::memcpy(buf, name.c_str(), name.size() + 1);
}

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

} // namespace

MotorDatabase::MotorDatabase()
{
    records_.reserve(kBuiltinMotorCount + 64);
    for (const BuiltinMotor &m : kBuiltinMotors)
        AddLocked(std::make_unique<MotorRecord>(MotorRecord{m.name, std::nullopt, m.figures}));
    builtinMark_ = records_.size();
}

const MotorRecord *MotorDatabase::FindLocked(const char *name) const
{
    if (!name)
        return nullptr;
    const auto &chain = buckets_[static_cast<std::size_t>(Bucket(name))];
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        if (tools700::NamesEqual((*it)->name.c_str(), name))
            return *it;
    return nullptr;
}

void MotorDatabase::AddLocked(std::unique_ptr<MotorRecord> record)
{
    buckets_[static_cast<std::size_t>(Bucket(record->name.c_str()))].push_back(record.get());
    records_.push_back(std::move(record));
}

bool MotorDatabase::Exists(const char *name) const
{
    std::shared_lock lock(mutex_);
    return FindLocked(name) != nullptr;
}

double MotorDatabase::Figure(const char *name, double MotorFigures::*field) const
{
    std::shared_lock lock(mutex_);
    const MotorRecord *r = FindLocked(name);
    return r ? r->figures.*field : 0.0;
}

double MotorDatabase::Harmonic(const char *name, int index, bool cosine) const
{
    if (index < 0 || index >= kHarmonicCount)
        return 0.0;
    std::shared_lock lock(mutex_);
    const MotorRecord *r = FindLocked(name);
    if (!r)
        return 0.0;
    return cosine ? r->figures.cosHarm[index] : r->figures.sinHarm[index];
}

int MotorDatabase::Extend(const char *path, mdb_DuplicateHandler handler)
{
    if (!path || !*path)
        return MDB_EXTEND_CANT_OPEN;
    // Opened without blocking and checked before reading: a pipe would wait for a writer, a
    // device might never end, and a folder opens but cannot be read. Only regular files count.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return MDB_EXTEND_CANT_OPEN;
    struct stat st {};
    int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return MDB_EXTEND_CANT_OPEN;
    }
    std::unique_ptr<std::FILE, FileCloser> file(fdopen(fd, "rb"));
    if (!file) {
        close(fd);
        return MDB_EXTEND_CANT_OPEN;
    }
    return ExtendFrom(file.get(), path, BaseName(path), handler);
}

int MotorDatabase::ExtendFrom(std::FILE *file, const char *path, const std::string &name,
                              mdb_DuplicateHandler handler)
{
    int result = MDB_EXTEND_OK;
    LineReader reader(file);
    LineReader::Line line;
    double fields[kFieldCount];
    while (reader.Next(line)) {
        LineKind kind = ParseLine(line, fields);
        if (kind == LineKind::Ignored)
            continue;
        if (kind == LineKind::Invalid || !IsValidMotorName(name))
            return MDB_EXTEND_INVALID;

        auto record = std::make_unique<MotorRecord>(
            MotorRecord{name, name, ExtensionFigures(fields)});
        std::optional<std::string> existingSource;
        {
            std::unique_lock lock(mutex_);
            const MotorRecord *existing = FindLocked(name.c_str());
            if (!existing) {
                AddLocked(std::move(record));
                continue;
            }
            existingSource = existing->source;
        }
        // The new definition is discarded; the caller decides whether to go on.
        result = handler ? handler(existingSource ? existingSource->c_str() : nullptr, path,
                                   name.c_str())
                         : MDB_EXTEND_OK;
        if (result == MDB_EXTEND_STOP_FILE || result == MDB_EXTEND_STOP_ALL)
            return result;
    }
    if (reader.failed() && result == MDB_EXTEND_OK)
        return MDB_EXTEND_CANT_OPEN;
    return result;
}

void MotorDatabase::Flush()
{
    std::unique_lock lock(mutex_);
    if (records_.size() == builtinMark_)
        return;
    for (auto &chain : buckets_)
        while (!chain.empty() && chain.back()->source)
            chain.pop_back();
    records_.resize(builtinMark_);
    ++flushCount_;
}

bool MotorDatabase::First(Cursor &cursor, char *buf) const
{
    std::shared_lock lock(mutex_);
    cursor.active = false;
    if (records_.empty()) {
        buf[0] = '\0';
        return false;
    }
    cursor.position = records_.size() - 1;
    cursor.flushCount = flushCount_;
    cursor.active = true;
    CopyName(records_[cursor.position]->name, buf);
    return true;
}

bool MotorDatabase::Next(Cursor &cursor, char *buf) const
{
    std::shared_lock lock(mutex_);
    // After a flush the cursor stays valid only on a built-in motor: the extension motor it
    // stood on is gone, and its place may be held by a motor read since.
    bool flushed = cursor.flushCount != flushCount_ && cursor.position >= builtinMark_;
    if (!cursor.active || flushed || cursor.position == 0 || cursor.position >= records_.size()) {
        buf[0] = '\0';
        return false;
    }
    --cursor.position;
    CopyName(records_[cursor.position]->name, buf);
    return true;
}

std::size_t MotorDatabase::Count() const
{
    std::shared_lock lock(mutex_);
    return records_.size();
}

} // namespace mdb700
