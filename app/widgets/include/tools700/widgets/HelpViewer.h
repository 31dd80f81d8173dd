// The program's own help: HTML pages in one folder (build/bin/help, from each part's help/), each
// page naming its context numbers and keywords in <meta> tags, and a small viewer with a
// contents page, a keyword search with partial keys and opening at a context number.
#pragma once

#include <QDialog>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace tools700 {

struct HelpPage {
    QString file;        // file name inside the help folder
    QString title;       // <title>
    QVector<int> contexts;
    QStringList keywords;
};

class HelpIndex {
public:
    // Reads every *.html page of the folder; a folder without pages gives an empty index.
    void Load(const QString &folder);

    const QString &Folder() const { return folder_; }
    const QVector<HelpPage> &Pages() const { return pages_; }
    // The page that carries the context number, or nullptr.
    const HelpPage *ByContext(int context) const;
    // Every keyword that starts with the partial key (ignoring case), sorted; all for an empty key.
    QStringList Keywords(const QString &partial) const;
    // Pages listing the keyword (ignoring case).
    QVector<const HelpPage *> ByKeyword(const QString &keyword) const;
    QString PathOf(const HelpPage &page) const;

private:
    QString folder_;
    QVector<HelpPage> pages_;
};

// Context numbers of the windows.
inline constexpr int kHelpMainWindow = 100;
inline constexpr int kHelpComportDlg = 600;

class THelpViewer : public QDialog {
    Q_OBJECT
public:
    explicit THelpViewer(QWidget *parent = nullptr);

    // Folder of the pages; the default is DefaultHelpFolder().
    void SetHelpFolder(const QString &folder);
    const HelpIndex &Index() const { return index_; }

    void ShowContents();
    // Opens the page of a context number; false (contents shown) when no page carries it.
    bool ShowContext(int context);
    // Keyword search with a partial key: the search page filled with matching keywords; a key that
    // matches exactly one page's keyword opens that page.
    void KeywordSearch(const QString &partial);

    QString CurrentFile() const;
    QStringList ShownKeywords() const;

private:
    void FillKeywords(const QString &partial);
    void OpenKeyword(const QString &keyword);
    void OpenFile(const QString &path);

    HelpIndex index_;
    QTextBrowser *browser_;
    QLineEdit *edtKey_;
    QListWidget *lstKeys_;
    QString current_;
};

// The help folder of this program: TOOLS700_HELP_DIR, else "help" beside a build-tree program,
// else the installation's help folder (see ProgramFolders.h).
QString DefaultHelpFolder();

// The viewer of the program; created on first use.
THelpViewer &AppHelp();

// A window that answers help requests with a keyword search for the name it has in focus
// (the on-line window). Registering nullptr for `focusedName` removes the window.
void SetKeywordHelpWindow(QWidget *window, std::function<QString()> focusedName);

// A help request (F1, Help buttons): a keyword window asks for a keyword search with its
// focused name; any other window opens the page of its "helpContext" property, or the contents.
void RequestHelp(QWidget *activeWindow);

} // namespace tools700
