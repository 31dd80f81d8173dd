// The main window's controls: the button column, the control-mode switch, the status bar and the
// menus, with the entries enabled as the shell's rules say; and the window's fixed maximised size.
#include "tools700/shell/MainForm.h"

#include "tools700/MainWindowRules.h"
#include "tools700/Session.h"
#include "tools700/shell/Splash.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/Application.h"
#include "tools700/widgets/RockerSwitch.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWindow>

namespace tools700 {

namespace {

class ProductPicture : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const int w = qMin(width(), 640);
        const int h = qMin(height(), w * 9 / 16);
        PaintProductPicture(p, QRect((width() - w) / 2, (height() - h) / 2, w, h));
    }
};

} // namespace

void TMainForm::ApplyAvailability()
{
    // The button (where there is one) and the menu entry of each entry.
    const struct {
        MainEntry entry;
        QWidget *button;
        QAction *menu;
    } entries[] = {
        {MainEntry::NewConfiguration, bbtnNew, mnuNew},
        {MainEntry::Upload, bbtnUpload, mnuUpload},
        {MainEntry::EditFile, bbtnEditFile, mnuEditFile},
        {MainEntry::EditOnline, bbtnEditOnline, mnuEditOnline},
        {MainEntry::Oscilloscope, bbtnScope, mnuScope},
        {MainEntry::Diagnostics, bbtnTrouble, mnuTrouble},
        {MainEntry::CompareFile, nullptr, mnuCompareFile},
        {MainEntry::EditMotorDatabase, nullptr, mnuEditMotor},
        {MainEntry::UpgradeFirmware, nullptr, mnuUpdateFW},
        {MainEntry::TuningWizard, nullptr, mnuTuningWizard},
        {MainEntry::PortAxis, nullptr, mnuPort},
        {MainEntry::DrivesOnLine, nullptr, mnuDrivesOnLine},
    };
    for (const auto &e : entries) {
        const EntryState state = rules_.Entry(e.entry, session_);
        const QString notBuilt = QString::fromStdString(state.notBuilt);
        if (e.button) {
            const QString hint = e.button->property("hint").toString();
            e.button->setEnabled(state.enabled);
            e.button->setToolTip(state.built ? hint : hint + QStringLiteral("\n") + notBuilt);
            e.button->setAccessibleDescription(notBuilt);
        }
        e.menu->setEnabled(state.enabled);
        e.menu->setToolTip(notBuilt);
    }
}

void TMainForm::BuildControls()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("pnlMain"));
    central->setAutoFillBackground(true);
    QPalette pal = central->palette();
    pal.setColor(QPalette::Window, QColor(0, 128, 128));
    pal.setColor(QPalette::WindowText, Qt::white);
    central->setPalette(pal);
    setCentralWidget(central);

    auto makeButton = [&](const char *name, const char *caption, const char *hint) {
        auto *b = new QPushButton(QString::fromLatin1(caption), central);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QString::fromLatin1(hint));
        b->setProperty("hint", QString::fromLatin1(hint));
        b->setFixedSize(280, 46);
        b->setPalette(QApplication::palette());
        return b;
    };
    bbtnNew = makeButton("bbtnNew", "&New  Configuration",
                         "Starts the Configuration Wizard to guide you through the configuration process");
    bbtnUpload = makeButton("bbtnUpload", "&Upload", "Reads a configuration from the drive and opens the Configuration Editor");
    bbtnEditFile = makeButton("bbtnEditFile", "Edit &File", "Opens a configuration file and invokes the Configuration Editor");
    bbtnEditOnline = makeButton("bbtnEditOnline", "&Edit Online",
                                "Opens the 'On-Line Drive Configuration' dialog to edit drive parameters");
    bbtnScope = makeButton("bbtnScope", " &Oscilloscope    ",
                           "Activates the Software Oscilloscope to view specific drive signals in real time");
    bbtnTrouble = makeButton("bbtnTrouble", "&Diagnostics    ",
                             "Executes a series of diagnostic tests on the drive to identify common configuration problems");

    lbl740Mode = new QLabel(QStringLiteral("Control Mode Switch"), central);
    lbl740Mode->setObjectName(QStringLiteral("lbl740Mode"));
    swt740Mode = new TRockerSwitch(central);
    swt740Mode->setObjectName(QStringLiteral("swt740Mode"));
    swt740Mode->SetCaptions(QStringLiteral("Serial Control"), QStringLiteral("SERCOS Control"));
    swt740Mode->setPalette(pal);
    NameControl(swt740Mode, lbl740Mode->text());

    auto *column = new QVBoxLayout;
    column->setSpacing(16);
    for (QPushButton *b : {bbtnNew, bbtnUpload, bbtnEditFile, bbtnEditOnline, bbtnScope, bbtnTrouble})
        column->addWidget(b);
    column->addSpacing(24);
    column->addWidget(lbl740Mode);
    column->addWidget(swt740Mode);
    column->addStretch(1);
    auto *picture = new ProductPicture(central);
    picture->setObjectName(QStringLiteral("imgProduct"));
    NameControl(picture, QStringLiteral("700Tools"));
    auto *layout = new QHBoxLayout(central);
    layout->setContentsMargins(40, 32, 40, 24);
    layout->addLayout(column, 0);
    layout->addSpacing(40);
    layout->addWidget(picture, 1);

    pgbLoad = new QProgressBar(central);
    pgbLoad->setObjectName(QStringLiteral("pgbLoad"));
    pgbLoad->setRange(0, 100);
    pgbLoad->setToolTip(QStringLiteral("Opens up a Wizard to guide you throught the configuration process"));
    pgbLoad->setFixedSize(240, 22);
    NameControl(pgbLoad, QStringLiteral("Upload progress"));
    pgbLoad->hide();

    for (int i = 0; i < 3; ++i) {
        stbPanel[i] = new QLabel(this);
        stbPanel[i]->setObjectName(QStringLiteral("stbConnection%1").arg(i));
        stbPanel[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    stbPanel[0]->setFixedWidth(125);
    stbPanel[1]->setFixedWidth(300);
    stbPanel[0]->setText(QStringLiteral("Drive"));
    stbPanel[1]->setText(QStringLiteral("Mode"));
    stbPanel[2]->setText(QStringLiteral("<no connection>"));
    statusBar()->setObjectName(QStringLiteral("stbConnection"));
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(stbPanel[0]);
    statusBar()->addWidget(stbPanel[1]);
    statusBar()->addWidget(stbPanel[2], 1);

    auto guard = [this](void (TMainForm::*action)()) { return [this, action] { RunAction([&] { (this->*action)(); }); }; };
    connect(bbtnNew, &QPushButton::clicked, this, guard(&TMainForm::NewConfiguration));
    connect(bbtnUpload, &QPushButton::clicked, this, guard(&TMainForm::Upload));
    connect(bbtnEditFile, &QPushButton::clicked, this, guard(&TMainForm::EditFile));
    connect(bbtnEditOnline, &QPushButton::clicked, this, guard(&TMainForm::EditOnline));
    connect(bbtnScope, &QPushButton::clicked, this, guard(&TMainForm::Oscilloscope));
    connect(bbtnTrouble, &QPushButton::clicked, this, guard(&TMainForm::Diagnostics));
    connect(swt740Mode, &TRockerSwitch::clicked, this, guard(&TMainForm::swt740ModeClick));

    // The switch is shown only while a 740-family drive is connected.
    Show740(false);
}

void TMainForm::BuildMenus()
{
    auto guard = [this](void (TMainForm::*action)()) { return [this, action] { RunAction([&] { (this->*action)(); }); }; };
    auto entry = [&](QMenu *menu, const char *name, const char *caption, void (TMainForm::*action)()) {
        QAction *a = menu->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, guard(action));
        return a;
    };
    mnuComm = menuBar()->addMenu(QStringLiteral("Communication"));
    mnuComm->setObjectName(QStringLiteral("mnuComm"));
    mnuPort = entry(mnuComm, "mnuPort", "Port/Axis", &TMainForm::PortAxis);
    mnuDrivesOnLine = entry(mnuComm, "mnuDrivesOnLine", "Drives on the Line", &TMainForm::DrivesOnLine);
    mnuComm->addSeparator();
    mnuUpload = entry(mnuComm, "mnuUpload", "Upload", &TMainForm::Upload);
    mnuEditOnline = entry(mnuComm, "mnuEditOnline", "Edit Online", &TMainForm::EditOnline);
    mnuComm->addSeparator();
    mnuExit = entry(mnuComm, "mnuExit", "Exit", &TMainForm::Exit);

    mnuEdit = menuBar()->addMenu(QStringLiteral("Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuNew = entry(mnuEdit, "mnuNew", "New Configuration", &TMainForm::NewConfiguration);
    mnuEditFile = entry(mnuEdit, "mnuEditFile", "Edit File", &TMainForm::EditFile);
    mnuCompareFile = entry(mnuEdit, "mnuCompareFile", "Compare File with Drive", &TMainForm::CompareFile);
    mnuCompareFile->setText(QStringLiteral("Compare File with Drive\u2026"));

    mnuUtilities = menuBar()->addMenu(QStringLiteral("&Utilities"));
    mnuUtilities->setObjectName(QStringLiteral("mnuUtilities"));
    mnuEditMotor = entry(mnuUtilities, "mnuEditMotor", "Edit &Motor Database", &TMainForm::EditMotorDatabase);
    mnuUtilities->addSeparator();
    mnuUpdateFW = entry(mnuUtilities, "mnuUpdateFW", "Upgrade FW", &TMainForm::UpgradeFW);
    mnuUtilities->addSeparator();
    mnuTuningWizard = entry(mnuUtilities, "mnuTuningWizard", "Tuning Wizard", &TMainForm::TuningWizard);
    mnuUtilities->addSeparator();
    mnuScope = entry(mnuUtilities, "mnuScope", "Oscilloscope", &TMainForm::Oscilloscope);
    mnuUtilities->addSeparator();
    mnuTrouble = entry(mnuUtilities, "mnuTrouble", "Diagnostics", &TMainForm::Diagnostics);

    for (QMenu *menu : {mnuComm, mnuEdit, mnuUtilities})
        menu->setToolTipsVisible(true);

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuContents = entry(mnuHelp, "mnuContents", "&Contents", &TMainForm::Contents);
    mnuTopicSearch = entry(mnuHelp, "mnuTopicSearch", "&Topic Search", &TMainForm::TopicSearch);
    mnuHelp->addSeparator();
    mnuAbout = entry(mnuHelp, "mnuAbout", "&About", &TMainForm::About);
    // The menu bar's own button for menus that do not fit.
    if (auto *more = menuBar()->findChild<QWidget *>(QStringLiteral("qt_menubar_ext_button")))
        NameControl(more, QStringLiteral("More menus"));

}

QString TMainForm::PanelText(int i) const { return stbPanel[i]->text(); }

bool TMainForm::Is740Visible() const { return !swt740Mode->isHidden(); }

void TMainForm::Show740(bool visible)
{
    swt740Mode->setVisible(visible);
    lbl740Mode->setVisible(visible);
    session_.ControlSwitchShown = visible;
}

void TMainForm::ShowMaximizedFixed()
{
    sizeFixed_ = true;
    // Maximised already: no maximise button. Until a window manager maximises the window, its
    // size is the screen's work area; without one, nothing else would make it that large.
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    if (const QScreen *s = screen())
        setGeometry(s->availableGeometry());
    showMaximized();
    if (QWindow *window = windowHandle()) {
        window->installEventFilter(this);
        exposed_ = window->isExposed();
    }
    KeepMaximisedSize();
}

void TMainForm::KeepMaximisedSize()
{
    // Not resizable: while maximised and on screen, the window keeps the size the window system
    // gave it (which may take more than one step to arrive), its minimum and maximum both that
    // size.
    if (sizeFixed_ && exposed_ && (windowState() & Qt::WindowMaximized) &&
        (minimumSize() != size() || maximumSize() != size()))
        setFixedSize(size());
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed() && !exposed_) {
        exposed_ = true;
        KeepMaximisedSize();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    KeepMaximisedSize();
}

} // namespace tools700
