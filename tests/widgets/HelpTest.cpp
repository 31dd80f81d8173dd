// The help pages of the repository and the help viewer: contexts, keywords, links.
#include "QtTestSupport.h"

#include "tools700/widgets/Accessibility.h"

#include "tools700/widgets/HelpViewer.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace tools700;

namespace {

// Every part's pages, as the program's build puts them beside it (the contents page links them all).
QString HelpFolder() { return QStringLiteral(TOOLS700_BIN_DIR "/help"); }

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qttest::App();
        index.Load(HelpFolder());
    }
    HelpIndex index;
};

TEST_F(HelpTest, EveryWindowOfTheShellHasItsPageAndNoContextIsTakenTwice)
{
    ASSERT_GE(index.Pages().size(), 5);
    for (int context : {1, kHelpMainWindow, kHelpComportDlg, 101, 102, 103, 104})
        EXPECT_NE(index.ByContext(context), nullptr) << context;
    EXPECT_EQ(index.ByContext(kHelpComportDlg)->file, "comport.html");
    EXPECT_EQ(index.ByContext(kHelpComportDlg)->title, "Comm Port and Axis Selection");
    QSet<int> seen;
    for (const HelpPage &p : index.Pages()) {
        EXPECT_FALSE(p.contexts.isEmpty()) << p.file.toStdString();
        EXPECT_FALSE(p.keywords.isEmpty()) << p.file.toStdString();
        for (int c : p.contexts) {
            EXPECT_FALSE(seen.contains(c)) << c;
            seen.insert(c);
        }
    }
    EXPECT_EQ(index.ByContext(99999), nullptr);
}

TEST_F(HelpTest, LinksBetweenPagesLeadToExistingPages)
{
    const QRegularExpression href(QStringLiteral("href=\"([^\"#]+)\""));
    for (const HelpPage &p : index.Pages()) {
        QFile f(index.PathOf(p));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        for (auto it = href.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(1);
            EXPECT_TRUE(QFile::exists(QDir(HelpFolder()).filePath(target)))
                << p.file.toStdString() << " -> " << target.toStdString();
        }
    }
}

TEST_F(HelpTest, KeywordSearchTakesPartialKeysWithoutRegardToCase)
{
    const QStringList ser = index.Keywords(QStringLiteral("SER"));
    EXPECT_TRUE(ser.contains(QStringLiteral("serial port")));
    EXPECT_TRUE(ser.contains(QStringLiteral("Serial Control")));
    for (const QString &k : ser)
        EXPECT_TRUE(k.startsWith(QStringLiteral("ser"), Qt::CaseInsensitive));
    EXPECT_GT(index.Keywords(QString()).size(), ser.size());
    EXPECT_TRUE(index.Keywords(QStringLiteral("zzz")).isEmpty());
    ASSERT_FALSE(index.ByKeyword(QStringLiteral("AXIS ADDRESS")).isEmpty());
    EXPECT_EQ(index.ByKeyword(QStringLiteral("AXIS ADDRESS")).front()->file, "comport.html");
}

TEST_F(HelpTest, ViewerOpensAtContextsContentsAndKeywords)
{
    THelpViewer viewer;
    viewer.SetHelpFolder(HelpFolder());
    EXPECT_TRUE(viewer.ShowContext(kHelpComportDlg));
    EXPECT_TRUE(viewer.CurrentFile().endsWith(QStringLiteral("comport.html")));
    EXPECT_TRUE(viewer.isVisible());

    EXPECT_FALSE(viewer.ShowContext(4711));
    EXPECT_TRUE(viewer.CurrentFile().endsWith(QStringLiteral("index.html")));

    viewer.KeywordSearch(QStringLiteral("control m"));
    EXPECT_EQ(viewer.ShownKeywords(), (QStringList{QStringLiteral("control mode"), QStringLiteral("Control Mode Switch")}));
    viewer.KeywordSearch(QStringLiteral("Control Mode Switch"));
    EXPECT_TRUE(viewer.CurrentFile().endsWith(QStringLiteral("controlmode.html")));
    viewer.KeywordSearch(QString());
    EXPECT_EQ(viewer.ShownKeywords(), index.Keywords(QString()));
    EXPECT_EQ(AccessibilityProblems(&viewer), QStringList());
}

TEST_F(HelpTest, HelpRequestsFollowTheActiveWindow)
{
    AppHelp().SetHelpFolder(HelpFolder());
    QWidget dialog;
    dialog.setProperty("helpContext", kHelpComportDlg);
    QWidget child(&dialog);
    RequestHelp(&child);
    EXPECT_TRUE(AppHelp().CurrentFile().endsWith(QStringLiteral("comport.html")));

    QWidget plain;
    RequestHelp(&plain);
    EXPECT_TRUE(AppHelp().CurrentFile().endsWith(QStringLiteral("index.html")));

    // A window with a keyword hook (the on-line window) searches for its focused name.
    QWidget online;
    SetKeywordHelpWindow(&online, [] { return QStringLiteral("axis"); });
    RequestHelp(&online);
    EXPECT_TRUE(AppHelp().ShownKeywords().contains(QStringLiteral("axis")));
    EXPECT_TRUE(AppHelp().CurrentFile().endsWith(QStringLiteral("comport.html")));
    SetKeywordHelpWindow(&online, nullptr);
    AppHelp().close();
}

} // namespace
