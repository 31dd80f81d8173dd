// The order of drive exchanges and questions in the workflows that ask in the middle: the
// control-mode switch, Reset Fault, the save window's Download and the tuning wizard's Apply, run
// through the program's windows against the drive simulator. Each flow's exchanges (from the
// simulator's trace) and questions (with the number of exchanges made before each) form one list,
// which must equal the list kept in tests/program/flows/<flow>.txt.
//
// TOOLS700_RECORD_FLOWS=1 writes the lists instead of comparing (a deliberate change of a flow).
#include "QtTestSupport.h"
#include "DriveValues.h"
#include "SimProcess.h"
#include "Startup.h"

#include "comm700.h"
#include "tools700/common/Line.h"
#include "mdb700.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/DriveState.h"
#include "tools700/config/Generator.h"
#include "tools700/config/MotorChoice.h"
#include "tools700/online/VarDlg.h"
#include "tools700/shell/MainForm.h"
#include "tools700/tuning/InertiaRDlg.h"
#include "tools700/tuning/Tuning.h"
#include "tools700/widgets/RockerSwitch.h"
#include "tools700/wizard/SaveForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

using namespace tools700;

namespace {

std::string Escaped(const std::string &text)
{
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

const char *KindName(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Plain: return "message";
    case BoxKind::Warning: return "warning";
    case BoxKind::Confirmation: return "confirmation";
    case BoxKind::Information: return "information";
    case BoxKind::Error: return "error";
    }
    return "?";
}

// Answers from a script and notes, with each box, how many requests the drive has seen.
class CountingMessages : public ScriptedMessages {
public:
    explicit CountingMessages(const testutil::SimProcess *&sim) : sim_(sim) {}
    Answer Show(BoxKind kind, const std::string &text, unsigned buttons) override
    {
        boxes.push_back({sim_ ? sim_->Trace().size() : 0, std::string("? ") + KindName(kind) + ": " + Escaped(text)});
        return ScriptedMessages::Show(kind, text, buttons);
    }
    struct Box {
        std::size_t after;
        std::string line;
    };
    std::vector<Box> boxes;

private:
    const testutil::SimProcess *&sim_;
};

class FlowOrderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qttest::App();
        QLocale::setDefault(QLocale::c());
        ASSERT_EQ(StartProgram(program, messages, dir.filePath(QStringLiteral("Tools700")), {}), StartResult::Started);
        // The main window is never shown: no connection monitor polls in between.
        program.session.SuspendStatusPolling();
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    void Start(std::vector<std::string> options)
    {
        sim = testutil::StartTraced(std::move(options), dir.filePath(QStringLiteral("trace.txt")).toStdString());
        simSeen = sim.get();
    }
    // Starts the flow's list: what the drive saw and was asked so far is forgotten.
    void Begin()
    {
        sim->ClearTrace();
        messages.boxes.clear();
    }

    // The exchanges and questions since Begin(), in order.
    std::vector<std::string> Flow() const
    {
        const std::vector<testutil::TraceLine> trace = sim->Trace();
        std::vector<std::string> out;
        std::size_t box = 0;
        for (std::size_t i = 0; i <= trace.size(); ++i) {
            for (; box < messages.boxes.size() && messages.boxes[box].after == i; ++box)
                out.push_back(messages.boxes[box].line);
            if (i < trace.size())
                out.push_back(trace[i].command + " " + trace[i].name + " " + trace[i].value + " " + trace[i].result);
        }
        return out;
    }

    void Check(const char *flow)
    {
        const std::string file = std::string(TOOLS700_SOURCE_DIR) + "/tests/program/flows/" + flow + ".txt";
        const std::vector<std::string> got = Flow();
        if (std::getenv("TOOLS700_RECORD_FLOWS")) {
            std::ofstream out(file);
            for (const std::string &line : got)
                out << line << '\n';
            return;
        }
        std::ifstream in(file);
        std::vector<std::string> want;
        for (std::string line; std::getline(in, line);)
            want.push_back(line);
        ASSERT_FALSE(want.empty()) << file;
        EXPECT_EQ(got, want) << flow;
    }

    qttest::SettingsFile settings;
    QTemporaryDir dir;
    const testutil::SimProcess *simSeen = nullptr;
    CountingMessages messages{simSeen};
    Program program;
    std::unique_ptr<testutil::SimProcess> sim;
};

// The main window shows a 740-family drive (the status update of a poll, with the monitor's reads).
void ShowDrive(TMainForm &main)
{
    main.UpdateStatus("Status: Axis 1  x", ReadStatus(true));
}

} // namespace

TEST_F(FlowOrderTest, ControlModeSwitch)
{
    Start({"--model", "744", "--axes", "1", "--serial-control"});
    TMainForm &main = *program.mainForm;
    ShowDrive(main);
    ASSERT_TRUE(qttest::WaitFor([&] { return program.session.SerialControl; }));
    Begin();
    const long uiCalls = UiThreadLineCalls();
    messages.Queue(Answer::Yes);
    main.swt740ModeClick();
    ASSERT_TRUE(qttest::WaitFor([&] { return main.PanelText(1) == QLatin1String(" SERCOS Control Mode"); }));
    messages.Queue(Answer::Yes);
    main.swt740ModeClick();
    ASSERT_TRUE(qttest::WaitFor([&] { return main.PanelText(1) == QLatin1String("Serial Control Mode"); }));
    Check("control-mode-switch");
    EXPECT_EQ(UiThreadLineCalls(), uiCalls) << LastUiThreadLineCall();
}

TEST_F(FlowOrderTest, ResetFault)
{
    Start({"--model", "733", "--axes", "1", "--configured", "--fault", "2"});
    ASSERT_EQ(PutVar700("InpMap3", 1), 0); // Fault Reset (lo) on input 3
    auto *online = program.Find<Tvardlg>();
    Begin();
    messages.Queue(Answer::Yes);
    const long uiCalls = UiThreadLineCalls();
    online->btnResetFault->click();
    ASSERT_TRUE(qttest::WaitFor([&] { return online->btnResetFault->isEnabled(); }));
    Check("reset-fault");
    EXPECT_EQ(UiThreadLineCalls(), uiCalls) << LastUiThreadLineCall();
}

TEST_F(FlowOrderTest, Download)
{
    Start({"--model", "733", "--axes", "1", "--configured"});
    Cfg cfg;
    {
        ScriptedMessages quiet;
        ASSERT_TRUE(cfg.Upload(quiet));
    }
    testsupport::IntoBounds(cfg);
    auto *save = program.Find<TSaveForm>();
    save->Begin(cfg, "flow.cfg", false);
    Begin();
    messages.Queue(Answer::Yes); // keep it in NV memory
    const long uiCalls = UiThreadLineCalls();
    save->btnDownload->click();
    ASSERT_TRUE(qttest::WaitFor([&] { return save->lblSavedToNV->isVisible(); }, 20000));
    save->hide();
    Check("download");
    EXPECT_EQ(UiThreadLineCalls(), uiCalls) << LastUiThreadLineCall();
}

TEST_F(FlowOrderTest, TuningApply)
{
    Start({"--model", "733", "--axes", "1", "--configured"});
    std::string motor;
    for (const std::string &m : MotorNames(false, 320))
        if (mdb_Ke(m.c_str()) > 0 && mdb_Inertia(m.c_str()) > 0 && mdb_Inductance(m.c_str()) > 0) {
            motor = m;
            break;
        }
    ASSERT_EQ(PutVar700("Motor1", PackMotorName(motor, 0)), 0);
    ASSERT_EQ(PutVar700("Motor2", PackMotorName(motor, 1)), 0);
    ASSERT_EQ(PutVar700("Kvp", 0.1), 0);
    auto *ratio = program.Find<TInertiaRDlg>();
    auto *tuning = program.Find<TTuning>();
    Begin();
    const long uiCalls = UiThreadLineCalls();
    ratio->SetPurpose(TInertiaRDlg::kOnlineTuning);
    ratio->edtInertiaR->setText(QStringLiteral("2"));
    ratio->btnOKClick();
    ASSERT_TRUE(qttest::WaitFor([&] { return tuning->isVisible(); }));
    ASSERT_TRUE(qttest::Settle([&] { return tuning->DriveBusy(); }));
    tuning->edtKvp->setText(QStringLiteral("0.12"));
    tuning->EditKeyPress(tuning::kFieldKvp);
    ASSERT_TRUE(qttest::WaitFor([&] { return tuning->btnApply->isEnabled(); }));
    messages.Queue(Answer::Yes);
    tuning->btnApply->click();
    ASSERT_TRUE(qttest::Settle([&] { return tuning->DriveBusy(); }));
    EXPECT_FALSE(tuning->btnApply->isEnabled());
    tuning->hide();
    Check("tuning-apply");
    EXPECT_EQ(UiThreadLineCalls(), uiCalls) << LastUiThreadLineCall();
}
