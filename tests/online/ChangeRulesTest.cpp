// The change-value dialog's rules against the drive simulator: how the dialog is set up, numeric
// writes and their refusals, and the two rules that keep CommSrc and RemoteFB consistent.
#include "OnlineSim.h"

#include "comm700.h"
#include "tools700/common/Error.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/config/StatusText.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"
#include "tools700/online/ChangeRules.h"
#include "tools700/online/DriveTexts.h"

#include <gtest/gtest.h>

using namespace tools700;
using namespace tools700::online;

namespace {

class ChangeRulesTest : public testutil::OnlineSimTest {
protected:
    static double Read(const char *name)
    {
        double v = -1;
        EXPECT_EQ(GetVar700(name, &v), 0) << name;
        return v;
    }
    static std::string ErrorOf(const std::function<void()> &write)
    {
        try {
            write();
        } catch (const Error &e) {
            return e.what();
        }
        return "no error";
    }
};

} // namespace

TEST(ChangeForm, NumericAndEnumeratedVariables)
{
    const ChangeForm kvp = PrepareChange("Kvp", "2.500");
    EXPECT_EQ(kvp.caption, "Kvp");
    EXPECT_EQ(kvp.prompt, "Enter new value for Kvp");
    EXPECT_EQ(kvp.hint, Dictionary().HelpText("Kvp"));
    EXPECT_FALSE(kvp.enumerated);
    EXPECT_EQ(kvp.numberText, "2.500");
    EXPECT_EQ(kvp.boundsText, Dictionary().BoundsText("Kvp"));
    EXPECT_EQ(PrepareChange("ElecAngTau", "9").boundsText, "min = 0, max = 65535");

    const ChangeForm commSrc = PrepareChange("CommSrc", EnumText("CommSrc", 1));
    EXPECT_TRUE(commSrc.enumerated);
    EXPECT_EQ(commSrc.key, 1);
    EXPECT_EQ(commSrc.boundsText, "");
    // Texts match in any letter case; a text of no entry (a status left in the row) gives the
    // table's end marker.
    std::string lower = EnumText("RemoteFB", 2);
    for (char &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(PrepareChange("RemoteFB", lower).key, 2);
    EXPECT_EQ(PrepareChange("RemoteFB", "NO RESPONSE").key, HasEnum("RemoteFB")->endValue);
    EXPECT_EQ(PrepareChange("BlkType", "NO RESPONSE").key, HasEnum("BlkType")->endValue);
}

TEST_F(ChangeRulesTest, NumericWritesAndTheirRefusals)
{
    auto sim = Start({"--model", "733", "--refuse", "Kvi=68"});
    WriteNumber("Kvp", "3.25");
    EXPECT_FLOAT_EQ(static_cast<float>(Read("Kvp")), 3.25f);
    WriteNumber("DM1Map", "4,0", ',');
    EXPECT_EQ(Read("DM1Map"), 4);

    EXPECT_EQ(ErrorOf([] { WriteNumber("DM1Map", "70000"); }), "Bounds error : " + Dictionary().BoundsText("DM1Map"));
    EXPECT_EQ(ErrorOf([] { WriteNumber("DriveStatus", "1"); }), "READONLY");
    EXPECT_EQ(ErrorOf([] { WriteNumber("Kvi", "1"); }), "NOT IMPLEMENTED");
    EXPECT_EQ(ErrorOf([] { WriteNumber("Kvp", "1.5x"); }), "'1.5x' is not a valid floating point value");
    EXPECT_EQ(ErrorOf([] { WriteNumber("Kvp", "nan"); }), "'nan' is not a valid floating point value");
    EXPECT_EQ(Read("DM1Map"), 4) << "nothing written by a refusal";
}

TEST_F(ChangeRulesTest, ACommSrcOtherThanTheResolverSwitchesRemoteFBToTheEncoder)
{
    auto sim = Start({"--model", "733"});
    ASSERT_EQ(PutVar700("RemoteFB", 1), 0);
    sim->ClearTrace();
    ScriptedMessages messages;
    WriteEnumerated("CommSrc", 0, messages);
    EXPECT_EQ(Requests(*sim), std::vector<std::string>{"PUT_INT CommSrc 0"});
    EXPECT_EQ(Read("RemoteFB"), 1) << "the resolver leaves RemoteFB alone";

    sim->ClearTrace();
    WriteEnumerated("commsrc", 1, messages);  // as typed in a row, in any letter case
    EXPECT_EQ(Requests(*sim), (std::vector<std::string>{"PUT_INT CommSrc 1", "PUT_INT RemoteFB 2"}));
    EXPECT_EQ(Read("RemoteFB"), kEncoderFeedback);
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(ChangeRulesTest, RemoteFBIsRefusedWhileCommSrcIsNotTheResolver)
{
    auto sim = Start({"--model", "733"});
    ASSERT_EQ(PutVar700("CommSrc", 1), 0);
    ASSERT_EQ(PutVar700("RemoteFB", 2), 0);
    sim->ClearTrace();
    ScriptedMessages messages;
    WriteEnumerated("RemoteFB", 0, messages);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"This value can't be changed, because it is related with CommSrc"});
    EXPECT_EQ(messages.shown()[0].kind, BoxKind::Plain);
    EXPECT_EQ(Requests(*sim), std::vector<std::string>{"GET_INT CommSrc 1"}) << "nothing written";

    ASSERT_EQ(PutVar700("CommSrc", 0), 0);
    WriteEnumerated("RemoteFB", 1, messages);
    EXPECT_EQ(Read("RemoteFB"), 1);
    EXPECT_EQ(messages.texts().size(), 1u);
}

TEST_F(ChangeRulesTest, FailedFeedbackReadsAndWritesNameTheChangedVariable)
{
    auto sim = Start({"--model", "733", "--refuse", "CommSrc=66"});
    ScriptedMessages messages;
    EXPECT_EQ(ErrorOf([&] { WriteEnumerated("RemoteFB", 1, messages); }),
              VarStatusText(66, "RemoteFB"));
    EXPECT_EQ(ErrorOf([&] { WriteEnumerated("CommSrc", 1, messages); }), VarStatusText(66, "CommSrc"));
    EXPECT_TRUE(messages.texts().empty());
}
