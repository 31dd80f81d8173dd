#include "WindowCases.h"

#include "tools700/config/Cfg.h"
#include "tools700/diagnostics/Troubleshooting.h"
#include "tools700/firmware/FWUpgradeForm.h"
#include "tools700/online/VarDlg.h"
#include "tools700/scope/ScopeForm.h"
#include "tools700/shell/MainForm.h"
#include "tools700/tuning/InertiaRDlg.h"
#include "tools700/tuning/Tuning.h"
#include "tools700/wizard/SaveForm.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

namespace responsiveness {

using namespace tools700;

std::vector<Case> WindowCases(BenchWindows &w)
{
    return {
        {"main", 733, "DriveStatus=68", 3, true, 0, [] {}, {},
         [&w] {
             const QString t = w.main.PanelText(2);
             return t.startsWith(QStringLiteral("No connection")) || t == QStringLiteral("CommError?");
         },
         {}},
        {"online", 733, "Velocity=68", 10, true, 0, [&w] { w.online->show(); }, {},
         [&w] { return w.online->pnlFault->isVisible(); }, [&w] { w.online->hide(); }},
        {"scope", 733, nullptr, 20, true, 0, [&w] { w.scope->show(); }, {},
         [&w] { return w.scope->pnlNoComm->isVisible(); }, [&w] { w.scope->close(); }},
        {"diagnostics", 733, "Kvp=68", 10, false, 15000,
         [&w] {
             w.diagnostics->show();
             w.diagnostics->btnStartClick();
         },
         [&w] { return !w.diagnostics->Running() && w.diagnostics->btnStart->isEnabled(); },
         [&w] { return w.diagnostics->Checklist->toPlainText().contains(QStringLiteral("failed")); },
         [&w] { w.diagnostics->btnCancelClick(); }},
        {"tuning", 733, "Kvi=68", 5, false, 20000,
         [&w] {
             w.tuningApplied = false;
             w.ratio->SetPurpose(TInertiaRDlg::kOnlineTuning);
             w.ratio->btnOKClick();
         },
         [&w] {
             // Started: then Apply with a changed Kvp, once.
             if (!w.tuningApplied && w.tuning->isVisible() && w.tuning->btnApply->isVisible()) {
                 w.tuningApplied = true;
                 const std::size_t before = w.messages.shown.size();
                 w.tuning->edtKvp->setText(QString::number(w.tuning->edtKvp->text().toDouble() * 1.1, 'f', 3));
                 w.tuning->EditKeyPress(tuning::kFieldKvp);
                 w.tuning->Timer2Timer();
                 w.tuning->btnApplyClick();
                 (void)before;
                 return false;
             }
             return (w.tuningApplied && !w.tuning->btnApply->isEnabled()) || (!w.tuning->isVisible() && w.ShownAfter(0));
         },
         {}, [&w] { w.tuning->hide(); }},
        {"download", 733, "Kvp=68", 40, false, 30000,
         [&w] {
             w.save->Begin(*w.cfg, "bench.cfg", false);
             w.save->btnDownloadClick();
         },
         [&w] { return w.save->btnDownload->isEnabled() && !w.save->ProgressBar1->isVisible(); }, {},
         [&w] { w.save->hide(); }},
        {"upload", 733, "Kvp=68", 40, false, 30000,
         [&w] {
             w.editorsBefore = g_editorsClosed.load();
             w.main.Upload();
         },
         // Ended: the editor opened (and was closed), or a message said why not.
         [&w] { return w.main.pgbLoad->isHidden() && (g_editorsClosed.load() > w.editorsBefore || w.ShownAfter(0)); }, {},
         {}},
        {"firmware", 743, nullptr, 6, false, 20000,
         [&w] {
             w.firmwareStarted = false;
             w.firmware->show();
             w.firmware->btnOpenFileClick();
         },
         [&w] {
             // Download once the file is read.
             if (!w.firmwareStarted) {
                 if (w.firmware->btnDownload->isEnabled()) {
                     w.firmwareStarted = true;
                     w.firmware->btnDownloadClick();
                 }
                 return false;
             }
             return !w.firmware->Procedure().Running();
         },
         {}, [&w] { w.firmware->reject(); }},
    };
}

} // namespace responsiveness
