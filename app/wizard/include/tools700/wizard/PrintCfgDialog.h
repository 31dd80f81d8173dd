// TPrintCfgDialog ("Print"): prints the short listing of a configuration on the printer chosen
// with "Printer &Setup" (a printer, or a PDF file) in the fixed-pitch font chosen with "&Font",
// which stays for later prints.
#pragma once

#include <QDialog>
#include <QFont>

#include <memory>
#include <string>

class QLabel;
class QPrinter;
class QProgressBar;
class QPushButton;

namespace tools700 {

class ValueSet;

class TPrintCfgDialog : public QDialog {
    Q_OBJECT
public:
    explicit TPrintCfgDialog(QWidget *parent = nullptr);
    ~TPrintCfgDialog() override;

    // Shows the dialog modally for a configuration and its title.
    void ShowPrintDialog(ValueSet &cfg, const std::string &title);
    // The same without waiting (tests): the dialog is shown and the call returns.
    void Begin(ValueSet &cfg, const std::string &title);

    // The printer of every print; "Printer &Setup" changes it, a test may point it at a file.
    QPrinter &Printer() { return *printer_; }
    const QFont &PrinterFont() const { return font_; }
    void SetPrinterFont(const QFont &font) { font_ = font; }

    // Handlers.
    void SetupClick();
    void btnFontClick();
    // Prints and closes; false when nothing was printed (no printer and no file chosen).
    bool btnPrintClick();

    QLabel *lblConfigname = nullptr;
    QPushButton *Setup = nullptr, *btnFont = nullptr, *btnPrint = nullptr, *btnCancel = nullptr;
    QProgressBar *ProgressBar1 = nullptr;

private:
    void Prepare(ValueSet &cfg, const std::string &title);
    // No printer and no file yet: asks for the PDF file to print to.
    bool ChoosePdfFile();

    std::unique_ptr<QPrinter> printer_;
    QFont font_;
    ValueSet *cfg_ = nullptr;
    std::string title_;
};

} // namespace tools700
