// Qt's widgets as a screen reader or a test robot meets them through the accessibility interface
// with this program's interfaces installed, and the audit every window's test runs: labels named
// and read by what they show (an empty one not after its group box), combo boxes named by their
// label with entries chosen as by a click, a text set into an edit taken as typed, hidden tabs
// hidden, lamps heard, and the problems the audit reports for a window that gets them wrong.
#include "QtTestSupport.h"

#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/IndicatorLamp.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace tools700;

namespace {

QAccessibleInterface *Iface(QObject *o) { return QAccessible::queryAccessibleInterface(o); }

QString Text(QAccessibleInterface *iface)
{
    QAccessibleTextInterface *text = iface->textInterface();
    return text ? text->text(0, text->characterCount()) : QStringLiteral("<no text interface>");
}

class AccessibilityAuditTest : public ::testing::Test {
protected:
    void SetUp() override { qttest::App(); }
};

TEST_F(AccessibilityAuditTest, LabelsAndPanelsAreReadByWhatTheyShow)
{
    QWidget window;
    auto *group = new QGroupBox(QStringLiteral(" Variables and Parameters "), &window);
    auto *help = new QLabel(group);
    help->setObjectName(QStringLiteral("help"));
    auto *readout = new QLabel(QStringLiteral("172.0"), &window);
    readout->setAccessibleDescription(QStringLiteral("Bandwidth in Hz"));
    auto *panel = new QFrame(&window);
    new QLabel(QStringLiteral("BW < Kvi"), panel);
    new QLabel(QStringLiteral("Kvp is too low"), panel);
    window.show();

    // An empty help label is nameless: not announced with its group box's title.
    EXPECT_EQ(Iface(help)->text(QAccessible::Name), "");
    help->setText(QStringLiteral("Proportional gain of the velocity loop"));
    EXPECT_EQ(Iface(help)->text(QAccessible::Name), "Proportional gain of the velocity loop");
    // A read-out's number is its name, its value and its text.
    EXPECT_EQ(Iface(readout)->text(QAccessible::Name), "172.0");
    EXPECT_EQ(Iface(readout)->text(QAccessible::Value), "172.0");
    EXPECT_EQ(Text(Iface(readout)), "172.0");
    readout->setText(QStringLiteral("?"));
    EXPECT_EQ(Text(Iface(readout)), "?");
    EXPECT_EQ(Iface(panel)->text(QAccessible::Value), "BW < Kvi Kvp is too low");
    EXPECT_EQ(Text(Iface(panel)), "BW < Kvi Kvp is too low");

    auto *lamp = new TIndicatorLamp(&window);
    lamp->setAccessibleName(QStringLiteral("Input 1"));
    lamp->SetCaption(QStringLiteral("?"));
    EXPECT_EQ(Iface(lamp)->text(QAccessible::Value), "?");
    EXPECT_EQ(Text(Iface(lamp)), "?") << "no communication is heard, not only a dark lamp";
    EXPECT_EQ(AccessibilityProblems(&window), QStringList());
}

TEST_F(AccessibilityAuditTest, AComboBoxIsNamedByItsLabelAndItsEntriesAreChosenAsByAClick)
{
    QWidget window;
    auto *label = new QLabel(QStringLiteral("Select &Drive"), &window);
    auto *box = new QComboBox(&window);
    box->setObjectName(QStringLiteral("cmbDrive"));
    label->setBuddy(box);
    box->addItems({QStringLiteral("SV733"), QStringLiteral("SVE745")});
    box->setCurrentIndex(-1);
    window.show();
    QAccessibleInterface *iface = Iface(box);
    ASSERT_EQ(iface->role(), QAccessible::ComboBox);
    EXPECT_EQ(iface->text(QAccessible::Name), "Select Drive");
    EXPECT_EQ(iface->text(QAccessible::Value), "");

    std::vector<int> activated;
    QObject::connect(box, &QComboBox::activated, [&](int i) { activated.push_back(i); });
    QAccessibleInterface *list = iface->child(0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    ASSERT_EQ(list->childCount(), 2);
    QAccessibleInterface *entry = list->child(1);
    EXPECT_EQ(entry->text(QAccessible::Name), "SVE745");
    EXPECT_EQ(list->indexOfChild(entry), 1);
    EXPECT_EQ(entry->parent(), list);
    entry->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(box->currentIndex(), 1);
    EXPECT_EQ(activated, std::vector<int>{1});
    EXPECT_TRUE(entry->state().selected);
    // The box shows the entry, and is still named by its label.
    EXPECT_EQ(iface->text(QAccessible::Name), "Select Drive");
    EXPECT_EQ(iface->text(QAccessible::Value), "SVE745");
    list->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(activated, (std::vector<int>{1, 0}));
    // A disabled box takes no choice.
    box->setEnabled(false);
    list->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(box->currentIndex(), 0);
    box->setEnabled(true);
    EXPECT_EQ(AccessibilityProblems(&window), QStringList());

    // An editable box: its text is its value, the edit's text settable as typed.
    box->setEditable(true);
    EXPECT_EQ(Iface(box)->childCount(), 2);
    EXPECT_EQ(Iface(box)->child(1)->role(), QAccessible::EditableText);
    EXPECT_EQ(AccessibilityProblems(&window), QStringList());

    // A box without a label is reported.
    auto *unlabelled = new QComboBox(&window);
    unlabelled->setObjectName(QStringLiteral("cmbOther"));
    unlabelled->addItem(QStringLiteral("Alpha"));
    unlabelled->show();
    EXPECT_TRUE(AccessibilityProblems(&window).contains(QStringLiteral("combo box cmbOther: no label")))
        << AccessibilityProblems(&window).join(QStringLiteral("; ")).toStdString();
}

TEST_F(AccessibilityAuditTest, ATextSetIntoAnEditIsTakenAsTyped)
{
    QWidget window;
    auto *label = new QLabel(QStringLiteral("Kvp"), &window);
    auto *edit = new QLineEdit(&window);
    label->setBuddy(edit);
    edit->setValidator(new QIntValidator(0, 500, edit));
    window.show();
    std::vector<QString> edited;
    QObject::connect(edit, &QLineEdit::textEdited, [&](const QString &t) { edited.push_back(t); });
    QAccessibleInterface *iface = Iface(edit);
    EXPECT_EQ(iface->text(QAccessible::Name), "Kvp");
    iface->setText(QAccessible::Value, QStringLiteral("325"));
    EXPECT_EQ(edit->text(), "325");
    ASSERT_NE(iface->editableTextInterface(), nullptr);
    iface->editableTextInterface()->replaceText(0, 1, QStringLiteral("1"));
    iface->editableTextInterface()->insertText(3, QStringLiteral("x")); // refused by the validator
    iface->editableTextInterface()->deleteText(2, 3);
    EXPECT_EQ(edit->text(), "12");
    EXPECT_EQ(edited, (std::vector<QString>{"325", "125", "12"}));
    EXPECT_EQ(Text(iface), "12");
    // A read-only edit takes nothing.
    edit->setReadOnly(true);
    iface->setText(QAccessible::Value, QStringLiteral("7"));
    EXPECT_EQ(edit->text(), "12");
    EXPECT_EQ(AccessibilityProblems(&window), QStringList());
}

TEST_F(AccessibilityAuditTest, HiddenTabsAreHiddenAndATabIsPressedAsClicked)
{
    QWidget window;
    auto *tabs = new QTabWidget(&window);
    tabs->setObjectName(QStringLiteral("PageControl1"));
    tabs->setAccessibleName(QStringLiteral("Configuration pages"));
    tabs->addTab(new QWidget, QStringLiteral("Digital I/O"));
    tabs->addTab(new QWidget, QStringLiteral("&Torque"));
    tabs->addTab(new QWidget, QStringLiteral("Velocity Controller"));
    tabs->setTabVisible(1, false);
    window.show();
    QAccessibleInterface *bar = Iface(tabs->tabBar());
    ASSERT_EQ(bar->childCount(), 3);
    EXPECT_EQ(bar->child(1)->text(QAccessible::Name), "Torque");
    EXPECT_TRUE(bar->child(1)->state().invisible);
    EXPECT_FALSE(bar->child(2)->state().invisible);
    EXPECT_TRUE(bar->child(0)->state().selected);
    bar->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(tabs->currentIndex(), 2);
    bar->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(tabs->currentIndex(), 2) << "a hidden tab cannot be pressed";
    EXPECT_EQ(AccessibilityProblems(&window), QStringList());
}

} // namespace
