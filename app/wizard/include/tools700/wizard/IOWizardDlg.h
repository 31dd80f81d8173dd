// TIOWizardDlg ("IO Wizard"): function by function, which digital input or output carries it and
// with which polarity. Shown beside the configuration wizard's first page with the wizard's I/O
// map; its "Next" hands the chosen map back and moves the wizard to its second page.
#pragma once

#include "tools700/wizard/IoWizard.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QStatusBar;

namespace tools700 {

class Messages;
class TCfgNewDlg;

class TIOWizardDlg : public QDialog {
    Q_OBJECT
public:
    TIOWizardDlg(Messages &messages, TCfgNewDlg &wizard, QWidget *parent = nullptr);

    // Shows the window (not modally) and brings it to the front.
    void Open();
    const IoWizard &Model() const { return model_; }

    // Handlers.
    void FormActivate();
    void btnDefaultClick();
    void btnClearClick();
    void btnOKClick();
    void btnHelpClick();
    void CheckBoxClick(int box, bool ticked);
    void ComboBoxChange(int row, int index);

    QCheckBox *CheckBox(int box) const { return boxes_[box - 1]; }
    QComboBox *ComboBox(int row) const { return ports_[row - 1]; }
    QLabel *RowLabel(int row) const { return labels_[row - 1]; }
    QString StatusText() const;
    QPushButton *btnClear = nullptr, *btnDefault = nullptr, *btnOK = nullptr, *btnHelp = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Shows the model's state in the controls.
    void Show();
    void Inform(const std::string &text);

    Messages &messages_;
    TCfgNewDlg &wizard_;
    IoWizard model_;
    QCheckBox *boxes_[IoWizard::kBoxes] = {};
    QComboBox *ports_[IoWizard::kRows] = {};
    QLabel *labels_[IoWizard::kRows] = {};
    QStatusBar *stbStatus_ = nullptr;
    QLabel *status_ = nullptr;
    // Set while a box of this window is shown: coming back from it is not a new activation.
    bool ownBox_ = false;
};

inline constexpr int kHelpIOWizard = 503;

} // namespace tools700
