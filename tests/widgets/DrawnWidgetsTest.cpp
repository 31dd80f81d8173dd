// The drawn widgets as accessibility tools see them: the lamp's lit state and caption, the
// slider's and dial's values, and the check that finds controls without a name.
#include "QtTestSupport.h"

#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/Dial.h"
#include "tools700/widgets/IndicatorLamp.h"
#include "tools700/widgets/Slider.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace tools700;

namespace {

class DrawnWidgetsTest : public ::testing::Test {
protected:
    void SetUp() override { qttest::App(); }
};

TEST_F(DrawnWidgetsTest, TheLampReportsLitStateCaptionAndHint)
{
    QWidget form;
    auto *lamp = new TIndicatorLamp(&form);
    lamp->setAccessibleName(QStringLiteral("Input 3"));
    lamp->setToolTip(QStringLiteral("Inp3 is mapped to Fault Reset (lo)"));
    lamp->SetCaption(QStringLiteral("Off"));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(lamp);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Indicator);
    EXPECT_EQ(iface->text(QAccessible::Name), "Input 3");
    EXPECT_EQ(iface->text(QAccessible::Value), "Off");
    EXPECT_EQ(iface->text(QAccessible::Description), "Inp3 is mapped to Fault Reset (lo)");
    EXPECT_FALSE(iface->state().checked);
    lamp->SetLit(true);
    lamp->SetCaption(QStringLiteral("On"));
    EXPECT_TRUE(iface->state().checked);
    EXPECT_EQ(iface->text(QAccessible::Value), "On");

    // Without a name of its own, the lamp is named by its caption.
    auto *fault = new TIndicatorLamp(&form);
    fault->SetCaption(QStringLiteral("DRIVE FAULTED!"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(fault)->text(QAccessible::Name), "DRIVE FAULTED!");
    // Painting works in both states and at any size.
    form.resize(200, 80);
    lamp->resize(5, 5);
    EXPECT_FALSE(form.grab().isNull());
}

TEST_F(DrawnWidgetsTest, SliderAndDialReportTheirValues)
{
    TScaleSlider slider;
    slider.setRange(0, 200);
    slider.SetScale(5, 5);
    slider.SetUnit(QStringLiteral("Hz"));
    slider.SetCaptions({QStringLiteral("Gentle"), QStringLiteral("Medium"), QStringLiteral("Stiff")});
    slider.setValue(25);
    slider.setAccessibleName(QStringLiteral("BandWidth"));
    QAccessibleInterface *s = QAccessible::queryAccessibleInterface(&slider);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->role(), QAccessible::Slider);
    ASSERT_NE(s->valueInterface(), nullptr);
    EXPECT_EQ(s->valueInterface()->currentValue().toInt(), 25);
    s->valueInterface()->setCurrentValue(150);
    EXPECT_EQ(slider.value(), 150);
    EXPECT_EQ(slider.pageStep(), 40);
    slider.resize(slider.sizeHint());
    EXPECT_FALSE(slider.grab().isNull());

    TDial dial;
    dial.setRange(0, 100);
    dial.SetScaleStep(20);
    dial.setValue(30);
    QAccessibleInterface *d = QAccessible::queryAccessibleInterface(&dial);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->role(), QAccessible::Dial);
    EXPECT_EQ(d->valueInterface()->currentValue().toInt(), 30);
    dial.setFocus();
    QTest::keyClick(&dial, Qt::Key_Up);
    EXPECT_EQ(dial.value(), 31);
    dial.resize(dial.sizeHint());
    EXPECT_FALSE(dial.grab().isNull());
}

TEST_F(DrawnWidgetsTest, TheCheckFindsControlsWithoutANameAlsoWhenHidden)
{
    QWidget form;
    auto *layout = new QVBoxLayout(&form);
    auto *named = new QPushButton(QStringLiteral("&Ok"), &form);
    auto *label = new QLabel(QStringLiteral("Axis"), &form);
    auto *labelled = new QLineEdit(&form);
    label->setBuddy(labelled);
    auto *bare = new QLineEdit(&form);
    bare->setObjectName(QStringLiteral("edtBare"));
    auto *hidden = new QPushButton(&form);
    hidden->setObjectName(QStringLiteral("btnHidden"));
    hidden->hide();
    for (QWidget *w : {static_cast<QWidget *>(named), static_cast<QWidget *>(label), static_cast<QWidget *>(labelled),
                       static_cast<QWidget *>(bare), static_cast<QWidget *>(hidden)})
        layout->addWidget(w);
    form.show();
    QStringList nameless = NamelessControls(&form);
    ASSERT_EQ(nameless.size(), 2) << nameless.join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(nameless.filter(QStringLiteral("edtBare")).size() == 1);
    EXPECT_TRUE(nameless.filter(QStringLiteral("btnHidden")).size() == 1);
    NameControl(bare, QStringLiteral("Bare"));
    hidden->setText(QStringLiteral("Hidden"));
    EXPECT_EQ(NamelessControls(&form), QStringList());
}

} // namespace
