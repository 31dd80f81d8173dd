#include "tools700/widgets/HelpViewer.h"

#include "tools700/common/ProgramFolders.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

namespace tools700 {

namespace {

QString MetaContent(const QString &html, const QString &name)
{
    const QRegularExpression re(
        QStringLiteral("<meta\\s+name\\s*=\\s*\"%1\"\\s+content\\s*=\\s*\"([^\"]*)\"").arg(name),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(html);
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace

void HelpIndex::Load(const QString &folder)
{
    folder_ = folder;
    pages_.clear();
    const QDir dir(folder);
    const QStringList files = dir.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    for (const QString &file : files) {
        QFile f(dir.filePath(file));
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        const QString html = QString::fromUtf8(f.read(64 * 1024));
        HelpPage page;
        page.file = file;
        const QRegularExpression title(QStringLiteral("<title>([^<]*)</title>"),
                                       QRegularExpression::CaseInsensitiveOption);
        const auto tm = title.match(html);
        page.title = tm.hasMatch() ? tm.captured(1).trimmed() : file;
        for (const QString &c : MetaContent(html, QStringLiteral("context")).split(
                 QRegularExpression(QStringLiteral("[,; ]+")), Qt::SkipEmptyParts)) {
            bool ok = false;
            const int n = c.toInt(&ok);
            if (ok)
                page.contexts.push_back(n);
        }
        for (const QString &k : MetaContent(html, QStringLiteral("keywords")).split(QLatin1Char(';'))) {
            if (!k.trimmed().isEmpty())
                page.keywords.push_back(k.trimmed());
        }
        pages_.push_back(page);
    }
}

const HelpPage *HelpIndex::ByContext(int context) const
{
    for (const HelpPage &p : pages_) {
        if (p.contexts.contains(context))
            return &p;
    }
    return nullptr;
}

QStringList HelpIndex::Keywords(const QString &partial) const
{
    QStringList out;
    for (const HelpPage &p : pages_) {
        for (const QString &k : p.keywords) {
            if (k.startsWith(partial, Qt::CaseInsensitive) &&
                !out.contains(k, Qt::CaseInsensitive))
                out.push_back(k);
        }
    }
    std::sort(out.begin(), out.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return out;
}

QVector<const HelpPage *> HelpIndex::ByKeyword(const QString &keyword) const
{
    QVector<const HelpPage *> out;
    for (const HelpPage &p : pages_) {
        if (p.keywords.contains(keyword, Qt::CaseInsensitive))
            out.push_back(&p);
    }
    return out;
}

QString HelpIndex::PathOf(const HelpPage &page) const
{
    return QDir(folder_).filePath(page.file);
}

QString DefaultHelpFolder()
{
    const QString exe = QCoreApplication::applicationFilePath();
    return QString::fromStdString(FindProgramFolders(exe.toStdString()).helpDir);
}

THelpViewer::THelpViewer(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("700Tools Help"));
    setModal(false);
    resize(900, 620);

    auto *btnContents = new QPushButton(QStringLiteral("&Contents"), this);
    btnContents->setObjectName(QStringLiteral("btnContents"));
    edtKey_ = new QLineEdit(this);
    edtKey_->setObjectName(QStringLiteral("edtKey"));
    edtKey_->setPlaceholderText(QStringLiteral("Type the first letters of a keyword"));
    lstKeys_ = new QListWidget(this);
    lstKeys_->setObjectName(QStringLiteral("lstKeys"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("browser"));
    browser_->setOpenLinks(true);

    auto *left = new QVBoxLayout;
    left->addWidget(btnContents);
    auto *keyLabel = new QLabel(QStringLiteral("&Keyword:"), this);
    keyLabel->setBuddy(edtKey_); // Alt+K, and the edit's name for a screen reader
    left->addWidget(keyLabel);
    left->addWidget(edtKey_);
    left->addWidget(lstKeys_, 1);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 0);
    layout->addWidget(browser_, 1);

    connect(btnContents, &QPushButton::clicked, this, &THelpViewer::ShowContents);
    connect(edtKey_, &QLineEdit::textEdited, this, &THelpViewer::FillKeywords);
    connect(edtKey_, &QLineEdit::returnPressed, this, [this] {
        if (lstKeys_->count() > 0)
            OpenKeyword(lstKeys_->item(0)->text());
    });
    connect(lstKeys_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { OpenKeyword(item->text()); });
    connect(lstKeys_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { OpenKeyword(item->text()); });
}

void THelpViewer::SetHelpFolder(const QString &folder)
{
    index_.Load(folder);
    browser_->setSearchPaths({folder});
}

void THelpViewer::OpenFile(const QString &path)
{
    current_ = path;
    browser_->setSource(QUrl::fromLocalFile(path));
}

void THelpViewer::ShowContents()
{
    const QString path = QDir(index_.Folder()).filePath(QStringLiteral("index.html"));
    if (QFile::exists(path)) {
        OpenFile(path);
    } else {
        // No contents page: list the pages themselves.
        QString html = QStringLiteral("<h1>700Tools Help</h1><ul>");
        for (const HelpPage &p : index_.Pages())
            html += QStringLiteral("<li><a href=\"%1\">%2</a></li>").arg(p.file, p.title.toHtmlEscaped());
        html += QStringLiteral("</ul>");
        current_.clear();
        browser_->setHtml(html);
    }
    FillKeywords(edtKey_->text());
    show();
    raise();
}

bool THelpViewer::ShowContext(int context)
{
    const HelpPage *page = index_.ByContext(context);
    if (!page) {
        ShowContents();
        return false;
    }
    OpenFile(index_.PathOf(*page));
    FillKeywords(edtKey_->text());
    show();
    raise();
    return true;
}

void THelpViewer::KeywordSearch(const QString &partial)
{
    edtKey_->setText(partial);
    FillKeywords(partial);
    const QStringList keys = index_.Keywords(partial);
    if (!partial.isEmpty() && keys.size() >= 1 && keys.front().compare(partial, Qt::CaseInsensitive) == 0)
        OpenKeyword(keys.front());
    else if (current_.isEmpty())
        ShowContents();
    show();
    raise();
    edtKey_->setFocus();
}

void THelpViewer::FillKeywords(const QString &partial)
{
    lstKeys_->clear();
    lstKeys_->addItems(index_.Keywords(partial));
}

void THelpViewer::OpenKeyword(const QString &keyword)
{
    const auto pages = index_.ByKeyword(keyword);
    if (!pages.isEmpty())
        OpenFile(index_.PathOf(*pages.front()));
}

QString THelpViewer::CurrentFile() const { return current_; }

QStringList THelpViewer::ShownKeywords() const
{
    QStringList out;
    for (int i = 0; i < lstKeys_->count(); ++i)
        out.push_back(lstKeys_->item(i)->text());
    return out;
}

namespace {
QWidget *keywordWindow = nullptr;
std::function<QString()> keywordSource;
} // namespace

void SetKeywordHelpWindow(QWidget *window, std::function<QString()> focusedName)
{
    keywordWindow = focusedName ? window : nullptr;
    keywordSource = std::move(focusedName);
}

void RequestHelp(QWidget *activeWindow)
{
    QWidget *window = activeWindow ? activeWindow->window() : nullptr;
    if (window && window == keywordWindow && keywordSource) {
        AppHelp().KeywordSearch(keywordSource());
        return;
    }
    for (QWidget *w = activeWindow; w; w = w->parentWidget()) {
        const QVariant context = w->property("helpContext");
        if (context.isValid()) {
            AppHelp().ShowContext(context.toInt());
            return;
        }
    }
    AppHelp().ShowContents();
}

THelpViewer &AppHelp()
{
    static THelpViewer *viewer = nullptr;
    if (!viewer) {
        viewer = new THelpViewer;
        viewer->setAttribute(Qt::WA_DeleteOnClose, false);
        viewer->SetHelpFolder(DefaultHelpFolder());
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] {
            delete viewer;
            viewer = nullptr;
        });
    }
    return *viewer;
}

} // namespace tools700
