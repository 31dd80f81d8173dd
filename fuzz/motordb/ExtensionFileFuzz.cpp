// Feeds arbitrary bytes to the extension file reader as the content of a file, through the same
// stdio path mdb_Extend reads real files with, and checks that the database stays whole: every
// built-in motor is still there, at most one motor was added, and a flush restores the
// built-in motors exactly.
#include "BuiltinMotors.h"
#include "MotorDatabase.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>

namespace {

mdb700::MotorDatabase &Database()
{
    static mdb700::MotorDatabase db;
    return db;
}

int gAnswer = 0;

int Handler(const char *, const char *path, const char *name)
{
    if (!path || !name)
        __builtin_trap();
    return gAnswer;
}

void Check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    mdb700::MotorDatabase &db = Database();
    // The first byte picks the motor name (a new one, a built-in one, an invalid one) and the
    // handler's answer to duplicates; the rest is the file.
    static const char *const kNames[] = {"FUZZ", "ks041a", "TOOLONGNAME", "a\\b", "", "ABCDEFGH"};
    std::string name = "FUZZ";
    if (size > 0) {
        name = kNames[data[0] % 6];
        gAnswer = (data[0] >> 4) % 4;
        ++data;
        --size;
    }
    std::string copy(reinterpret_cast<const char *>(data), size);
    std::FILE *f = fmemopen(copy.empty() ? nullptr : copy.data(), copy.size(), "r");
    if (!f)
        return 0;
    int result = db.ExtendFrom(f, "/fuzz/input.MDE", name, Handler);
    std::fclose(f);
    Check(result >= 0 && result <= 4);

    std::size_t count = db.Count();
    Check(count == mdb700::kBuiltinMotorCount || count == mdb700::kBuiltinMotorCount + 1);
    // The whole table is checked over successive inputs, a few built-in motors each time (the
    // one a duplicate may have replaced always): checking all of them every time made the
    // checks, not the reader, the cost of an input.
    static std::size_t round = 0;
    ++round;
    const std::size_t builtins = mdb700::kBuiltinMotorCount;
    for (std::size_t k = 0; k < 4; ++k) {
        const mdb700::BuiltinMotor &m = mdb700::kBuiltinMotors[(round * 4 + k) % builtins];
        Check(db.Figure(m.name, &mdb700::MotorFigures::ke) == m.figures.ke);
    }
    for (const mdb700::BuiltinMotor &m : mdb700::kBuiltinMotors)
        if (name.size() == std::strlen(m.name) && strcasecmp(name.c_str(), m.name) == 0)
            Check(db.Exists(m.name));
    if (round % 64 == 0) {
        mdb700::MotorDatabase::Cursor cursor;
        char buf[9];
        std::size_t listed = 0;
        for (bool more = db.First(cursor, buf); more; more = db.Next(cursor, buf)) {
            Check(std::strlen(buf) <= 8 && db.Exists(buf));
            ++listed;
        }
        Check(listed == count);
    }

    db.Flush();
    Check(db.Count() == mdb700::kBuiltinMotorCount);
    Check(!db.Exists("FUZZ"));
    return 0;
}
