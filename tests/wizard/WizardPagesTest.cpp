// The configuration editor's first page rules and tab handlers, the printout as a PDF, and every
// control of these windows named for accessibility tools.
#include "WizardWindowsFixture.h"

using namespace tools700;
using namespace wizardwindowstest;

TEST_F(WizardWindowsTest, FirstPageRulesAndTheTabHandlers)
{
    wizard->BeginNew();
    EXPECT_EQ(wizard->windowTitle(), "Create New Configuration");
    EXPECT_EQ(wizard->height(), 250);
    EXPECT_TRUE(wizard->PageControl1->isHidden());
    EXPECT_FALSE(wizard->cmbMotor->isEnabled());
    EXPECT_EQ(wizard->cmbDrive->count(), 10);
    wizard->OKBtnClick();
    EXPECT_EQ(messages.texts.back(), "You must select a drive type!");
    Choose(wizard->cmbDrive, QStringLiteral("SVE733"));
    wizard->cmbDriveChange();
    EXPECT_EQ(wizard->Core().BusClass, 640);
    wizard->OKBtnClick();
    EXPECT_EQ(messages.texts.back(), "You must select a motor!");
    wizard->cmbMotor->setCurrentIndex(0);
    wizard->OKBtnClick();
    EXPECT_EQ(messages.texts.back(), "You must select a mode of operation!");
    Choose(wizard->cmbOpMode, QStringLiteral("Torque Mode -- Analog Command"));
    wizard->cmbOpModeClick();
    EXPECT_TRUE(wizard->grpTuning->isHidden());
    Choose(wizard->cmbOpMode, QStringLiteral("Position Mode -- Predefined Moves"));
    wizard->cmbOpModeClick();
    EXPECT_FALSE(wizard->grpTuning->isHidden());
    wizard->edtInertia->setText(QStringLiteral("x"));
    const size_t boxes = messages.texts.size();
    EXPECT_THROW(wizard->OKBtnClick(), std::exception);  // the conversion error, nothing built
    EXPECT_EQ(messages.texts.size(), boxes);
    EXPECT_FALSE(io->isVisible());
    wizard->edtInertia->setText(QStringLiteral("2.5"));
    wizard->OKBtnClick();
    EXPECT_EQ(session.InertiaRatio, 2.5);
    EXPECT_EQ(io->StatusText(), "Default Setting   Please select input port 6 and output port 2");
    // Clear, then Next: an all-zero map.
    io->btnClearClick();
    io->btnOKClick();
    EXPECT_EQ(wizard->Core().IoMap, IoMap{});
    EXPECT_EQ(wizard->height(), 600);
    EXPECT_TRUE(TabShown(*wizard, EditorTab::Predefined));
    EXPECT_EQ(wizard->edtInertia->text(), "2.5");

    // Predefined moves: move 3 of type Home shows the homing rows; registration needs remote
    // feedback.
    wizard->PageControl1->setCurrentWidget(wizard->tabs[static_cast<int>(EditorTab::Predefined)]);
    wizard->rdiMove[3]->setChecked(true);
    EXPECT_EQ(wizard->MoveNumber(), 3);
    EXPECT_EQ(wizard->grpMoveParameters->title(), "Move Parameters for Move 3");
    auto *moveType = wizard->Control<TQXComboBox>("pcmbMoveType");
    EXPECT_EQ(moveType->VarName(), "Move3Type");
    Choose(moveType, QStringLiteral("Home"));
    wizard->MoveTypeRule();
    EXPECT_FALSE(wizard->Control<QWidget>("pcmbHomeMode")->isHidden());
    EXPECT_TRUE(wizard->Control<QWidget>("pedtDistance")->isHidden());
    wizard->Core().WorkingCfg->Set("RemoteFB", 0);
    wizard->MoveTypeRule();
    EXPECT_FALSE(wizard->Control<QWidget>("pcmbRegSelect")->isEnabled());
    Choose(moveType, QStringLiteral("Absolute"));
    wizard->MoveTypeRule();
    EXPECT_EQ(wizard->lblDistance->text(), "Position");
    EXPECT_FALSE(wizard->Control<QWidget>("pedtDistance")->isHidden());

    // Feedback: a Comcoder forces encoder feedback and disables the choice.
    wizard->PageControl1->setCurrentWidget(wizard->tabs[static_cast<int>(EditorTab::Feedback)]);
    Choose(wizard->Control<QComboBox>("pcmbCommSrcBox"), QStringLiteral("Comcoder (Hall/Encoder)"));
    wizard->pcmbCommSrcBoxClick();
    EXPECT_EQ(wizard->Control<QComboBox>("pcmbRemoteFB")->currentText(), "Encoder for Vel & Pos");
    EXPECT_FALSE(wizard->Control<QWidget>("pcmbRemoteFB")->isEnabled());
    EXPECT_EQ(wizard->lblFeedBack->text(), "Closes position and velocity loops around the encoder");
    EXPECT_EQ(wizard->Core().WorkingCfg->Get("RemoteFB"), 2);
    Choose(wizard->Control<QComboBox>("pcmbCommSrcBox"), QStringLiteral("Resolver"));
    wizard->pcmbCommSrcBoxClick();
    Choose(wizard->Control<QComboBox>("pcmbRemoteFB"), QStringLiteral("Resolver for Vel & Pos"));
    wizard->pcmbRemoteFBChange();
    EXPECT_FALSE(wizard->pnlEmulatedEncoder->isHidden());
    EXPECT_TRUE(wizard->pnlEncoder->isHidden());
    messages.rule = [](BoxKind, const std::string &) { return Answer::Yes; };
    wizard->btnBackClick();
    EXPECT_TRUE(wizard->Finished());
}

TEST_F(WizardWindowsTest, ThePrintoutAsAPdfIsTheFamilysShortListing)
{
    if (!testutil::HavePdfToText())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    for (const char *model : {"733", "743"}) {
        const bool f740 = std::string(model) == "743";
        Cfg cfg740(740), cfg730;
        Cfg &cfg = f740 ? cfg740 : cfg730;
        FillDefaults(cfg, MotorNames(false, 320).at(2), f740 ? "SV743" : "SV733", 1, 1.0, DefaultIoMap(f740, 1));
        const std::string pdf = dir.File(std::string("listing") + model + ".pdf");
        print->Printer().setOutputFormat(QPrinter::PdfFormat);
        print->Printer().setOutputFileName(QString::fromStdString(pdf));
        print->Begin(cfg, "my listing");
        EXPECT_EQ(print->lblConfigname->text(), "my listing");
        ASSERT_TRUE(print->btnPrintClick());
        EXPECT_FALSE(print->isVisible());

        std::ostringstream text;
        TextCanvas canvas(text, 10000);
        cfg.Print(canvas, "my listing", false, {}, std::stoi(model));
        auto body = [](const std::vector<std::vector<std::string>> &pages) {
            std::vector<std::string> lines;
            for (const auto &page : pages)
                for (const std::string &l : page)
                    if (l.find(" Page ") == std::string::npos)
                        lines.push_back(l);
            return lines;
        };
        const auto fromPdf = testutil::NormalizedPages(testutil::PdfToText(pdf));
        ASSERT_FALSE(fromPdf.empty());
        EXPECT_EQ(fromPdf[0][0].rfind("my listing ", 0), 0u);
        EXPECT_EQ(body(fromPdf), body(testutil::NormalizedPages(text.str()))) << model;
    }
    // The font chosen stays for the next print; Cancel prints nothing.
    QFont font(QStringLiteral("DejaVu Sans Mono"), 8);
    print->SetPrinterFont(font);
    Cfg cfg;
    print->Begin(cfg, "again");
    print->btnCancel->click();
    EXPECT_EQ(print->PrinterFont(), font);
}

TEST_F(WizardWindowsTest, EveryControlOfTheseWindowsHasAName)
{
    wizard->BeginNew();
    EXPECT_EQ(AccessibilityProblems(wizard.get()), QStringList());
    Choose(wizard->cmbDrive, QStringLiteral("SV733"));
    wizard->cmbDriveChange();
    wizard->cmbMotor->setCurrentIndex(0);
    Choose(wizard->cmbOpMode, QStringLiteral("Velocity Mode -- Analog Command"));
    wizard->cmbOpModeClick();
    wizard->OKBtnClick();
    EXPECT_EQ(AccessibilityProblems(io.get()), QStringList());
    io->btnOKClick();
    EXPECT_EQ(AccessibilityProblems(wizard.get()), QStringList());
    // The tabs the mode does not use are hidden to a screen reader as well.
    QTabBar *bar = wizard->PageControl1->tabBar();
    QAccessibleInterface *tabs = QAccessible::queryAccessibleInterface(bar);
    ASSERT_EQ(tabs->childCount(), bar->count());
    int hidden = 0;
    for (int i = 0; i < bar->count(); ++i) {
        EXPECT_EQ(tabs->child(i)->state().invisible, !bar->isTabVisible(i)) << bar->tabText(i).toStdString();
        hidden += bar->isTabVisible(i) ? 0 : 1;
    }
    EXPECT_GT(hidden, 0);
    Cfg cfg;
    save->Begin(cfg, "x", false);
    EXPECT_EQ(AccessibilityProblems(save.get()), QStringList());
    save->hide();
    print->Begin(cfg, "x");
    EXPECT_EQ(AccessibilityProblems(print.get()), QStringList());
    print->hide();
    messages.rule = [](BoxKind, const std::string &) { return Answer::Yes; };
    wizard->btnBackClick();
}
