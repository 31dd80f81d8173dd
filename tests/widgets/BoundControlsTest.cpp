// Bound controls on a real window: key filter, exit checks, cousins, form-level operations.
#include "QtTestSupport.h"

#include "tools700/common/Error.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/Motor.h"
#include "tools700/widgets/BoundControls.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"

#include <QLocale>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace tools700;

namespace {

class BoundControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qttest::App();
        QLocale::setDefault(QLocale::c());
        SetControlMessages(&messages);
        form = std::make_unique<QWidget>();
        new QVBoxLayout(form.get());
    }
    void TearDown() override
    {
        form.reset();
        SetControlMessages(nullptr);
        QLocale::setDefault(QLocale::system());
    }
    template <class T> T *Add(const char *varName)
    {
        auto *c = new T(form.get());
        form->layout()->addWidget(c);
        if (varName)
            c->SetVarName(QString::fromLatin1(varName));
        return c;
    }
    void ShowForm()
    {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    // Moves the focus from one control to another, as the Tab key would.
    static void Leave(QWidget *from, QWidget *to)
    {
        from->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        to->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }

    ScriptedMessages messages;
    std::unique_ptr<QWidget> form;
};

TEST_F(BoundControlsTest, KeyFilterKeepsOnlyTheCharactersOfTheVariablesType)
{
    ShowForm();
    auto *integer = Add<TQXEditNum>("ILmtPlus");
    auto *real = Add<TQXEditNum>("Kvp");
    integer->clear();
    real->clear();
    QTest::keyClicks(integer, QStringLiteral("1.5e3"));
    QTest::keyClicks(real, QStringLiteral("1.5e3"));
    EXPECT_EQ(integer->text(), "153");
    EXPECT_EQ(real->text(), "1.5e3");
    QTest::keyClick(integer, Qt::Key_Backspace);
    QTest::keyClick(integer, Qt::Key_Left);
    QTest::keyClicks(integer, QStringLiteral("x-"));
    EXPECT_EQ(integer->text(), "1-5");
}

TEST_F(BoundControlsTest, ControlsOfOneVariableStayInStepAndLaterOnesJoin)
{
    ShowForm();
    auto *a = Add<TQXEditNum>("Kvp");
    auto *b = Add<TQXEditNum>("kvp");
    auto *other = Add<TQXEditNum>("Kip");
    Cfg cfg;
    InitAll(cfg, form.get());
    a->setText(QStringLiteral("12.5"));
    Leave(a, other);
    EXPECT_EQ(a->text(), "12.50000");
    EXPECT_EQ(b->text(), "12.50000");
    EXPECT_EQ(b->Info()->Val(), 12.5);
    EXPECT_NE(other->text(), "12.50000");

    auto *c = Add<TQXEditNum>("KVP");
    EXPECT_EQ(c->Info()->Cousins().size(), 2u);
    EXPECT_EQ(a->Info()->Cousins().size(), 2u);
    c->setText(QStringLiteral("7"));
    Leave(c, other);
    EXPECT_EQ(a->text(), "7.00000");
    EXPECT_EQ(b->text(), "7.00000");

    // Destroying one of three linked controls leaves the other two linked to each other only.
    delete b;
    ASSERT_EQ(a->Info()->Cousins().size(), 1u);
    EXPECT_EQ(a->Info()->Cousins()[0], c->Info());
    ASSERT_EQ(c->Info()->Cousins().size(), 1u);
    EXPECT_EQ(c->Info()->Cousins()[0], a->Info());
}

TEST_F(BoundControlsTest, ExitWithBadTextOrOutOfBoundsShowsTheMessageAndKeepsTheValue)
{
    ShowForm();
    auto *kvp = Add<TQXEditNum>("Kvp");
    auto *twin = Add<TQXEditNum>("Kvp");
    auto *lmt = Add<TQXEditNum>("ILmtPlus");
    auto *other = Add<TQXEditNum>("Kip");
    Cfg cfg;
    InitAll(cfg, form.get());
    kvp->Info()->Val(3);
    kvp->setText(QStringLiteral("abc"));
    Leave(kvp, other);
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0], "'abc' is not a valid floating point value");
    EXPECT_EQ(kvp->Info()->Val(), 3);
    EXPECT_TRUE(qttest::WaitFor([&] { return kvp->hasFocus(); }, 2000));
    EXPECT_NE(twin->text(), "abc");
    kvp->setText(QStringLiteral("3"));  // the user mends the box

    lmt->setText(QStringLiteral("150"));
    Leave(lmt, other);
    ASSERT_EQ(messages.texts().size(), 2u);
    EXPECT_EQ(messages.texts()[1], "Bounds error : min = 0, max = 100");
    EXPECT_EQ(lmt->Info()->Val(), lmt->Info()->Val());
    EXPECT_TRUE(qttest::WaitFor([&] { return lmt->hasFocus(); }, 2000));
    EXPECT_EQ(messages.shown()[1].kind, BoxKind::Plain);

    kvp->setText(QStringLiteral("378.5"));
    kvp->DoExit();
    EXPECT_EQ(messages.texts().back(), "Bounds error : min = 0.000, max = 378.000");
}

TEST_F(BoundControlsTest, NumbersFollowTheUsersRegionalFormat)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto *kvp = Add<TQXEditNum>("Kvp");
    kvp->Info()->Update(12.5);
    EXPECT_EQ(kvp->text(), "12,50000");
    kvp->setText(QStringLiteral("3,25"));
    kvp->DoExit();
    EXPECT_TRUE(messages.texts().empty());
    EXPECT_EQ(kvp->Info()->Val(), 3.25);
    // A group separator is no decimal separator.
    QLocale::setDefault(QLocale::c());
    kvp->setText(QStringLiteral("1,5"));
    kvp->DoExit();
    EXPECT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(kvp->Info()->Val(), 3.25);
    // The value set stays locale-independent.
    Cfg cfg;
    StoreAll(cfg, form.get());
    EXPECT_EQ(cfg.Get("Kvp"), 3.25);
}

TEST_F(BoundControlsTest, InitAllClampsEditBoxesAndLeavesOutOfBoundsRadioGroupsAlone)
{
    auto *kvp = Add<TQXEditNum>("Kvp");
    auto *group = Add<TQXRadioGroup>(nullptr);
    group->SetItems({QStringLiteral("Encoder"), QStringLiteral("Halls"), QStringLiteral("Third")});
    group->SetVarName(QStringLiteral("CommSrc"));
    auto *combo = Add<TQXComboBox>("BlkType");
    auto *bar = Add<TQXScrollBar>("ILmtPlus");

    Cfg cfg;
    cfg.Set("Kvp", 1000);
    cfg.Set("CommSrc", 1);
    cfg.Set("BlkType", 8);
    cfg.Set("ILmtPlus", 40);
    EXPECT_EQ(InitAll(cfg, form.get()), 4);
    EXPECT_EQ(kvp->text(), "378.00000");
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_EQ(bar->value(), 40);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(combo->currentIndex(), EnumIndex("BlkType", 8));
    EXPECT_EQ(combo->currentText().toStdString(), EnumText("BlkType", 8));

    cfg.Set("CommSrc", 2);   // out of bounds: the selection stays
    cfg.Set("BlkType", 77);  // no such enumeration value: the first item
    cfg.Set("Kvp", -5);      // below the minimum: the minimum
    InitAll(cfg, form.get());
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(kvp->text(), "0.00000");
}

TEST_F(BoundControlsTest, StoreAllCountsControlsAndRaisesTheFlagOnlyForChanges)
{
    auto *kvp = Add<TQXEditNum>("Kvp");
    Add<TQXEditNum>("Kvp");
    Add<TQXComboBox>("BlkType");
    Cfg cfg;
    InitAll(cfg, form.get());
    cfg.ClearModified();
    EXPECT_EQ(StoreAll(cfg, form.get()), 3);
    EXPECT_FALSE(cfg.IsModified());
    kvp->Info()->Val(42);
    kvp->Info()->UpdateAll();
    EXPECT_EQ(StoreAll(cfg, form.get()), 3);
    EXPECT_TRUE(cfg.IsModified());
    EXPECT_EQ(cfg.Get("Kvp"), 42);
}

TEST_F(BoundControlsTest, RadioGroupClickOutsideTheBoundsIsRefused)
{
    ShowForm();
    auto *group = Add<TQXRadioGroup>(nullptr);
    group->SetItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    group->SetVarName(QStringLiteral("CommSrc"));
    group->Info()->Update(1);
    group->Button(0)->click();
    EXPECT_EQ(group->Info()->Val(), 0);
    group->Button(2)->click();
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0], "Bounds error");
    EXPECT_EQ(group->Info()->Val(), 0);
    group->SetItemIndex(2);
    group->DoExit();
    EXPECT_EQ(messages.texts().back(), "bounds error");
}

TEST_F(BoundControlsTest, ComboExitStoresTheEnumerationValueOfItsText)
{
    auto *combo = Add<TQXComboBox>("BlkType");
    auto *twin = Add<TQXComboBox>("BlkType");
    std::vector<std::string> texts;
    FillEnumList(texts, "BlkType");
    ASSERT_EQ(combo->count(), static_cast<int>(texts.size()));
    ASSERT_GT(combo->count(), 2);
    combo->setCurrentIndex(2);
    combo->DoExit();
    EXPECT_EQ(combo->Info()->Val(), EnumValue("BlkType", texts[2]));
    EXPECT_EQ(twin->currentIndex(), 2);
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(BoundControlsTest, VarNameIsCheckedAgainstTheControlsTable)
{
    auto *edit = Add<TQXEditNum>(nullptr);
    try {
        edit->SetVarName(QStringLiteral("NoSuchVariable"));
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_STREQ(e.what(), "Invalid name for this type");
    }
    EXPECT_THROW(edit->SetVarName(QStringLiteral("NVSave")), Error);  // a command
    EXPECT_EQ(edit->VarName(), "");

    // As a .ui file sets it: through the property system.
    EXPECT_TRUE(edit->setProperty("VarName", QStringLiteral("kvp")));
    EXPECT_EQ(edit->VarName(), "Kvp");
    EXPECT_EQ(edit->property("VarName").toString(), "Kvp");

    auto *motor = Add<TQXEditMotorNum>(nullptr);
    EXPECT_THROW(motor->SetVarName(QStringLiteral("Kvp")), Error);
    motor->SetVarName(QStringLiteral("polecount"));
    EXPECT_EQ(motor->VarName(), "PoleCount");
    EXPECT_EQ(&motor->Table(), &MotorParameterTable());
    EXPECT_EQ(motor->Info()->Max(), 65535);
    Motor m;
    m.Set("PoleCount", 8);
    InitAll(m, form.get());
    EXPECT_EQ(motor->text(), "8");
}

TEST_F(BoundControlsTest, HintsComeFromTheTablesHelpTexts)
{
    auto *kvp = Add<TQXEditNum>("Kvp");
    auto *unbound = Add<TQXEditNum>(nullptr);
    auto *motor = Add<TQXComboMotorBox>("MotorType");
    SetHints(form.get(), Dictionary());
    EXPECT_EQ(kvp->toolTip().toStdString(), Dictionary().HelpText("Kvp"));
    EXPECT_TRUE(unbound->toolTip().isEmpty());
    EXPECT_EQ(motor->toolTip(), "--- no such symbol  ---");
    SetHints(form.get(), MotorParameterTable());
    EXPECT_EQ(motor->toolTip(), "Motor type");
    EXPECT_EQ(CollectBindings(form.get()).size(), 3u);
    EXPECT_EQ(CollectBindings(form.get())[0], kvp->Info());
}

} // namespace
