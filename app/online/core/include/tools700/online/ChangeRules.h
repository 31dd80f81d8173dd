// The change-value dialog's rules, apart from the dialog: how it is set up for a variable and
// what its OK button writes to the drive. Two rules keep the drive's feedback settings
// consistent: RemoteFB cannot be changed while CommSrc is not the resolver (0), and writing a
// CommSrc other than 0 also switches RemoteFB to encoder feedback (2).
#pragma once

#include <string>

namespace tools700 {
class Messages;
}

namespace tools700::online {

inline constexpr const char *kRemoteFBRefused = "This value can't be changed, because it is related with CommSrc";
// RemoteFB's value for encoder feedback of velocity and position.
inline constexpr int kEncoderFeedback = 2;

// What the dialog shows for a variable.
struct ChangeForm {
    std::string caption;        // the variable's name
    std::string prompt;         // "Enter new value for " + name
    std::string hint;           // the variable's help text
    bool enumerated = false;    // the value is picked from the enumeration box
    int key = 0;                // enumerated: the key to select (the entry with that key, else
                                // the first one)
    std::string numberText;     // numeric: the editor's text, all of it selected
    std::string boundsText;     // numeric: the bounds; enumerated: empty
};

// Sets the dialog up for `name` with the row's current value text (a number, or a value text of
// an enumerated variable; a text that matches no entry selects the end marker's key).
ChangeForm PrepareChange(const std::string &name, const std::string &currentText);

// OK of a numeric variable: converts the text (decimal point '.' or `decimalPoint`) and writes it.
// Raises tools700::Error with the conversion error or VarStatusText of a refused write; the dialog
// shows it and stays open.
void WriteNumber(const std::string &name, const std::string &text, char decimalPoint = '.');

// OK of an enumerated variable with the key of the selected entry, under the CommSrc/RemoteFB
// rules. Raises tools700::Error with VarStatusText of a failed read or write (the dialog stays
// open). A refused RemoteFB change shows its message and writes nothing; the dialog then closes.
void WriteEnumerated(const std::string &name, int key, Messages &messages);

} // namespace tools700::online
