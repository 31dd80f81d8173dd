// The program's message boxes and its error box, on real QMessageBox windows.
#include "QtTestSupport.h"

#include "tools700/common/Error.h"
#include "tools700/widgets/Application.h"
#include "tools700/widgets/QtMessages.h"

#include <QFile>
#include <QKeyEvent>
#include <QWidget>

#include <gtest/gtest.h>

using namespace tools700;
using qttest::BoxWatcher;

namespace {

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override { qttest::App(); }
    QtMessages messages;
};

TEST_F(MessagesTest, FourKindsCarryTheirTitlesIconsAndButtons)
{
    BoxWatcher watcher({QStringLiteral("OK"), QStringLiteral("OK"), QStringLiteral("&No"), QStringLiteral("&Yes"),
                        QStringLiteral("OK")});
    messages.Message("plain text");
    messages.Warning("warn text");
    EXPECT_FALSE(messages.Confirm("confirm text"));
    EXPECT_TRUE(messages.WarnYesNo("warn question"));
    messages.Information("info text");

    const auto &b = watcher.boxes();
    ASSERT_EQ(b.size(), 5u);
    EXPECT_EQ(b[0].title, "700Tools");
    EXPECT_EQ(b[0].text, "plain text");
    EXPECT_EQ(b[0].buttons, QStringList{"OK"});
    EXPECT_EQ(b[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(b[1].title, "Warning");
    EXPECT_EQ(b[1].icon, QMessageBox::Warning);
    EXPECT_EQ(b[2].title, "Confirm");
    EXPECT_EQ(b[2].icon, QMessageBox::Question);
    EXPECT_TRUE(b[2].buttons.contains("&Yes") && b[2].buttons.contains("&No"));
    EXPECT_EQ(b[2].buttons.size(), 2);
    EXPECT_EQ(b[3].title, "Warning");
    EXPECT_EQ(b[4].title, "Information");
    EXPECT_EQ(b[4].icon, QMessageBox::Information);
}

TEST_F(MessagesTest, AnswersFollowTheButtonPressedAndTextStaysVerbatim)
{
    BoxWatcher watcher({QStringLiteral("&Abort")});
    const std::string text = "     Can't communicate with the drive!  \n     \n";
    EXPECT_EQ(messages.Show(BoxKind::Warning, text, BtnOk | BtnCancel | BtnAbort), Answer::Abort);
    ASSERT_EQ(watcher.boxes().size(), 1u);
    EXPECT_EQ(watcher.boxes()[0].text.toStdString(), text);
    EXPECT_EQ(watcher.boxes()[0].buttons.size(), 3);
}

TEST_F(MessagesTest, ErrorBoxAddsFullStopOnlyWhereTheRuleSays)
{
    BoxWatcher watcher;
    ShowErrorBox("NO RESPONSE");
    ShowErrorBox("Already ends.");
    ShowErrorBox("Bounds error : min = 0, max = 255");
    ShowErrorBox("ends with a blank ");
    const auto &b = watcher.boxes();
    ASSERT_EQ(b.size(), 4u);
    EXPECT_EQ(b[0].title, "700Tools");
    EXPECT_EQ(b[0].icon, QMessageBox::Critical);
    EXPECT_EQ(b[0].text, "NO RESPONSE.");
    EXPECT_EQ(b[1].text, "Already ends.");
    EXPECT_EQ(b[2].text, "Bounds error : min = 0, max = 255.");
    EXPECT_EQ(b[3].text, "ends with a blank ");  // a blank sorts before the full stop
}

// A widget whose key handler raises an error, as a workflow would.
class Failing : public QWidget {
protected:
    void keyPressEvent(QKeyEvent *) override
    {
        ++presses;
        throw Error("Can't open file x.cfg");
    }

public:
    int presses = 0;
};

TEST_F(MessagesTest, ErrorInsideAnEventIsShownAndTheProgramGoesOn)
{
    BoxWatcher watcher;
    Failing w;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(&w, &press);
    QApplication::sendEvent(&w, &press);
    EXPECT_EQ(w.presses, 2);
    ASSERT_EQ(watcher.boxes().size(), 2u);
    EXPECT_EQ(watcher.boxes()[0].text, "Can't open file x.cfg.");
    EXPECT_EQ(watcher.boxes()[0].title, "700Tools");
}

TEST_F(MessagesTest, RunActionReportsWhetherTheActionEndedWell)
{
    BoxWatcher watcher;
    EXPECT_TRUE(RunAction([] {}));
    EXPECT_FALSE(RunAction([] { throw std::runtime_error("Invalid Name"); }));
    ASSERT_EQ(watcher.boxes().size(), 1u);
    EXPECT_EQ(watcher.boxes()[0].text, "Invalid Name.");
}

TEST_F(MessagesTest, UnattendedRunsLogAndAnswerWithoutShowing)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("boxes.log"));
    setenv("TOOLS700_MESSAGE_LOG", log.toLocal8Bit().constData(), 1);
    setenv("TOOLS700_AUTO_ANSWER", "no", 1);
    EXPECT_EQ(messages.Show(BoxKind::Confirmation, "line 1\nline 2", BtnYes | BtnNo), Answer::No);
    EXPECT_EQ(messages.Show(BoxKind::Plain, "plain", BtnOk), Answer::Ok);  // no "No": the first button
    unsetenv("TOOLS700_MESSAGE_LOG");
    unsetenv("TOOLS700_AUTO_ANSWER");
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()), "confirmation\tline 1\\nline 2\nplain\tplain\n");
}

} // namespace
