// Request layouts, reply decoding and the reply check.
#include <gtest/gtest.h>

#include <cstring>

#include "tools700/wire/Drive.h"
#include "tools700/wire/Messages.h"

using namespace tools700::wire;

namespace {

// Copies a drive's reply into a reply message, as the mailbox does.
void CopyIn(Message& m, const ReplyBuilder& r)
{
    std::memcpy(m.words(), r.words(), (static_cast<std::size_t>(r.count()) + 1) * sizeof(uint16_t));
}

}  // namespace

TEST(WireValues, IntegersAndFloatsTravelLowWordFirst)
{
    PutVarRequest i(1, CMD_PUT_INT, 3, -1.0);
    EXPECT_EQ(i.word(4), 0xFFFF);
    EXPECT_EQ(i.word(5), 0xFFFF);
    PutVarRequest f(1, CMD_PUT_FLOAT, 3, 1.0);
    EXPECT_EQ(f.word(4), 0x0000);
    EXPECT_EQ(f.word(5), 0x3F80);
    EXPECT_EQ(f.count(), 5);
    EXPECT_EQ(f.word(2), 0x0104);
}

TEST(WireValues, IntegerConversionTruncatesAndClamps)
{
    EXPECT_EQ(static_cast<int32_t>(Get32(PutVarRequest(1, CMD_PUT_INT, 0, 2.9).words(), 4)), 2);
    EXPECT_EQ(static_cast<int32_t>(Get32(PutVarRequest(1, CMD_PUT_INT, 0, -2.9).words(), 4)), -2);
    EXPECT_EQ(ToInt32(1e12), INT32_MAX);
    EXPECT_EQ(ToInt32(-1e12), INT32_MIN);
    EXPECT_EQ(ToInt32(2147483647.9), INT32_MAX);
    EXPECT_EQ(ToInt32(-2147483648.5), INT32_MIN);
    EXPECT_EQ(ToInt32(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(ToInt32(std::numeric_limits<double>::infinity()), INT32_MAX);
}

TEST(WireReplies, GetVarReplyDecodesAndChecks)
{
    GetVarReply r(CMD_GET_FLOAT);
    EXPECT_EQ(r.count(), 4);
    EXPECT_EQ(r.word(2), 0);
    EXPECT_EQ(r.ReplyStatus(), 4);  // nothing copied in yet
    EXPECT_EQ(r.ReplyTimeout(), 500);
    CopyIn(r, ReplyBuilder(9, CMD_GET_FLOAT).Set(3, 0x0000).Set(4, 0x3FC0));
    EXPECT_EQ(r.ReplyStatus(), 0);
    EXPECT_DOUBLE_EQ(r.Value(), 1.5);
    CopyIn(r, ReplyBuilder(9, CMD_GET_FLOAT).Set(3, 0).Set(4, 0x3FC0).SetWord2(0xC2));
    EXPECT_EQ(r.ReplyStatus(), 66);
    CopyIn(r, ReplyBuilder(9, CMD_GET_FLOAT).Set(3, 0).Set(4, 0x3FC0).SetWord2(0x03));
    EXPECT_EQ(r.ReplyStatus(), 4);  // no reply flag
    CopyIn(r, ReplyBuilder(9, CMD_GET_FLOAT).Set(3, 0));
    EXPECT_EQ(r.ReplyStatus(), 4);  // N = 3
    r.words()[0] = 5;
    r.words()[2] = 0x83;
    EXPECT_EQ(r.ReplyStatus(), 4);  // N = 5
    GetVarReply ri(CMD_GET_INT);
    CopyIn(ri, ReplyBuilder(9, CMD_GET_INT).PutInt(3, -123456));
    EXPECT_EQ(ri.ReplyStatus(), 0);
    EXPECT_DOUBLE_EQ(ri.Value(), -123456.0);
    CopyIn(ri, ReplyBuilder(9, CMD_GET_FLOAT).PutInt(3, 1));
    EXPECT_EQ(ri.ReplyStatus(), CMD_GET_FLOAT);  // answers another command: passed through
}

TEST(WireReplies, TimeoutsOfEveryKind)
{
    EXPECT_EQ(ExeCmdReply().ReplyTimeout(), 5000);
    EXPECT_EQ(ScopeReply().ReplyTimeout(), 2000);
    EXPECT_EQ(PutVarReply(CMD_PUT_INT).ReplyTimeout(), 500);
    EXPECT_EQ(GetVarsReply().ReplyTimeout(), 500);
    EXPECT_EQ(PutVarsReply().ReplyTimeout(), 500);
    EXPECT_EQ(SetDriveAdrsReply().ReplyTimeout(), 500);
    EXPECT_EQ(UpcrReply().ReplyTimeout(), 500);
    EXPECT_EQ(LoadSegmentReply().ReplyTimeout(), 1000);
    EXPECT_EQ(UpcrReply().ReplyStatus(), 0);
    EXPECT_EQ(LoadSegmentReply().ReplyStatus(), 0);
    EXPECT_EQ(ScopeReply().count(), 207);
    EXPECT_EQ(GetVarsReply().count(), 70);
}

TEST(WireReplies, GetVarsUsesTheReplysIntegerMask)
{
    uint16_t ids[kVarSlots];
    for (int i = 0; i < kVarSlots; ++i)
        ids[i] = kEmptySlot;
    ids[0] = 41;
    ids[1] = 19;
    GetVarsRequest rq(7, 0x1, ids);
    EXPECT_EQ(rq.count(), 36);
    EXPECT_EQ(rq.word(2), 0x0708);
    EXPECT_EQ(Get32(rq.words(), 3), 1u);
    EXPECT_EQ(rq.word(5), 41);
    EXPECT_EQ(rq.word(36), kEmptySlot);

    GetVarsReply r;
    CopyIn(r, ReplyBuilder(3, CMD_GET_VARS).Put32(3, 0x2).Put32(5, 0x3).PutFloat(7, 2.5f).PutInt(9, -7).SetCount(70));
    EXPECT_EQ(r.ReplyStatus(), 0);
    EXPECT_EQ(r.ValidMask(), 3u);
    EXPECT_DOUBLE_EQ(r.Value(0), 2.5);   // bit 0 clear in the reply's mask: float
    EXPECT_DOUBLE_EQ(r.Value(1), -7.0);  // bit 1 set: integer
    EXPECT_DOUBLE_EQ(r.Value(32), 0.0);
    EXPECT_DOUBLE_EQ(r.Value(-1), 0.0);
}

TEST(WireRequests, PutVarsConvertsEachSlotByTheMask)
{
    uint16_t ids[kVarSlots];
    double values[kVarSlots];
    for (int i = 0; i < kVarSlots; ++i) {
        ids[i] = static_cast<uint16_t>(i);
        values[i] = i + 0.75;
    }
    PutVarsRequest rq(1, 0x80000001u, ids, values);
    EXPECT_EQ(rq.count(), 100);
    EXPECT_EQ(static_cast<int32_t>(Get32(rq.words(), 37)), 0);
    EXPECT_FLOAT_EQ(BitsFloat(Get32(rq.words(), 39)), 1.75f);
    EXPECT_EQ(static_cast<int32_t>(Get32(rq.words(), 37 + 62)), 31);
}

TEST(WireRequests, ScopeUpcrAndLoadSegmentLayouts)
{
    ScopeRequest s(3, 1, 0, 5, 2, FloatBits(1.25f), 11, 12);
    EXPECT_EQ(s.count(), 10);
    EXPECT_EQ(s.word(2), 0x0306);
    EXPECT_EQ(s.word(3), 1);
    EXPECT_EQ(s.word(5), 5);
    EXPECT_EQ(s.word(6), 2);
    EXPECT_EQ(Get32(s.words(), 7), FloatBits(1.25f));
    EXPECT_EQ(s.word(9), 11);
    EXPECT_EQ(s.word(10), 12);

    UpcrRequest rd(3, 0x55, kUpcrRead);
    EXPECT_EQ(rd.count(), 8);
    EXPECT_EQ(rd.word(3), 1);
    EXPECT_EQ(rd.word(4), 0);
    UpcrRequest wr(3, 0x55, kUpcrWrite);
    EXPECT_EQ(wr.word(4), 0x55);

    uint16_t data[70];
    for (int i = 0; i < 70; ++i)
        data[i] = static_cast<uint16_t>(0x100 + i);
    LoadSegmentRequest ls(3, 3, 0xA, 0xB, data);
    EXPECT_EQ(ls.count(), 69);
    EXPECT_EQ(ls.word(3), 0xA);
    EXPECT_EQ(ls.word(4), 0xB);
    EXPECT_EQ(ls.word(5), 3);
    EXPECT_EQ(ls.word(8), 0x102);
    EXPECT_EQ(ls.word(9), 0);  // beyond the count: zero
    LoadSegmentRequest big(3, 200, 0, 0, data);
    EXPECT_EQ(big.word(5), 64);  // clamped
    EXPECT_EQ(big.word(69), 0x100 + 63);
    LoadSegmentRequest none(3, 5, 0, 0, nullptr);
    EXPECT_EQ(none.word(5), 0);
}

TEST(WireReplies, ScopeDecodingHonoursScalesAndLimits)
{
    double ch1[100] {}, ch2[100] {};
    ScopeReply empty;
    CopyIn(empty, ReplyBuilder(4, CMD_READ_SCOPE).Set(3, 0).PutFloat(4, 1).PutFloat(6, 1).SetCount(207));
    EXPECT_EQ(empty.ReplyStatus(), 0);
    EXPECT_EQ(empty.Decode(ch1, ch2), 0);

    ScopeReply r;
    CopyIn(r, ReplyBuilder(4, CMD_READ_SCOPE).Set(3, 1).PutFloat(4, 10.0f).PutFloat(6, 0.5f)
                  .Set(8, 100).Set(9, static_cast<uint16_t>(-1)).SetCount(207));
    EXPECT_EQ(r.Decode(ch1, ch2), 1);
    EXPECT_DOUBLE_EQ(ch1[0], 10.0);
    EXPECT_DOUBLE_EQ(ch2[0], -2.0);

    // Announces 250 samples: at most 100 are decoded.
    ScopeReply many;
    CopyIn(many, ReplyBuilder(4, CMD_READ_SCOPE).Set(3, 250).PutFloat(4, 1).PutFloat(6, 1).SetCount(207));
    EXPECT_EQ(many.AnnouncedCount(), 250);
    EXPECT_EQ(many.Decode(ch1, ch2), 100);

    // Announces 50 but carries only 3 samples (N = 13): 3 decoded.
    ScopeReply shortReply;
    CopyIn(shortReply, ReplyBuilder(4, CMD_READ_SCOPE).Set(3, 50).PutFloat(4, 1).PutFloat(6, 1).SetCount(13));
    EXPECT_EQ(shortReply.Decode(ch1, ch2), 3);
}

TEST(WireDrive, DecodeRequestAndBuildReplies)
{
    GetVarRequest rq(42, CMD_GET_INT, 41);
    rq.words()[1] = 777;
    Request d;
    ASSERT_TRUE(DecodeRequest(rq.words(), &d));
    EXPECT_EQ(d.seq, 777);
    EXPECT_EQ(d.axis, 42);
    EXPECT_EQ(d.command, CMD_GET_INT);
    EXPECT_EQ(d.word(3), 41);
    EXPECT_EQ(d.word(4), 0);  // beyond N
    const uint16_t tooShort[] = {1, 5};
    EXPECT_FALSE(DecodeRequest(tooShort, &d));
    EXPECT_FALSE(DecodeRequest(nullptr, &d));

    ReplyBuilder refusal = ReplyBuilder::Refusal(777, REFUSE_BOUNDS);
    EXPECT_EQ(refusal.words()[2], 0xC2);
    EXPECT_EQ(refusal.count(), 2);
    ReplyBuilder ok(777, CMD_GET_INT);
    ok.PutInt(3, 733);
    EXPECT_EQ(ok.count(), 4);
    EXPECT_EQ(ok.words()[2], 0x81);
    ok.SetCount(3);
    EXPECT_EQ(ok.words()[4], 0);
    EXPECT_FALSE(ok.Encode().empty());
}
