#pragma once
// Seams: the few places where the program waits for the person in front of
// it (message boxes, modal windows, file dialogs) or makes a noise. Every
// window goes through these functions so that a test can read each message
// and answer each question without a display or a human.
//
// Call from the user-interface thread only. The default behaviour shows the
// real Qt dialogs; ScopedSeams replaces it for the lifetime of the object.

#include <QDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace lumex::app {

// One message box as it would have been shown.
struct MessageRecord {
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

enum class FileDialogKind { Open, Save };

// What a file dialog is asked to do; the answer is the chosen path, or an
// empty string when the user cancelled.
struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    QString folder;        // initial folder
    QString filter;        // Qt form, e.g. "KTV Cassiope (*.cas)"
    QString defaultSuffix; // "cas"
};

// Shows a message box and returns the button pressed (a StandardButton).
int ShowMessage(QWidget* parent, const QString& text, const QString& caption,
                QMessageBox::Icon icon,
                QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
// The simple beep for refused keys and out-of-range values.
void Beep();
// Runs a dialog modally and returns its result code.
int RunModal(QDialog& dialog);
// Runs the standard open or save dialog.
QString RunFileDialog(QWidget* parent, const FileDialogRequest& request);
// Asks the application to end at the next chance: the main loop stops, or is
// never entered when start-up has not reached it yet.
void RequestTermination();

// Replaces the seams while it lives; restores the previous ones afterwards.
// Unanswered questions get the default button (or Ok), unscripted modal runs
// return QDialog::Rejected without showing anything, file dialogs cancel.
class ScopedSeams {
public:
    ScopedSeams();
    ~ScopedSeams();
    ScopedSeams(const ScopedSeams&) = delete;
    ScopedSeams& operator=(const ScopedSeams&) = delete;

    // Scripted answers to message boxes, used in order.
    void QueueAnswer(QMessageBox::StandardButton answer) { m_answers.push_back(answer); }
    // Handler for modal runs (may click buttons, set properties, call done()).
    std::function<int(QDialog&)> onModal;
    // Handler for file dialogs.
    std::function<QString(const FileDialogRequest&)> onFileDialog;
    // Called while a message box would be on screen (before its answer).
    std::function<void(const MessageRecord&)> onMessage;

    const std::vector<MessageRecord>& Messages() const { return m_messages; }
    int BeepCount() const { return m_beeps; }
    int TerminationRequests() const { return m_terminations; }
    const QStringList& ModalRuns() const { return m_modalRuns; }  // object names
    const std::vector<FileDialogRequest>& FileDialogs() const { return m_fileDialogs; }
    void ClearMessages() { m_messages.clear(); }

private:
    friend int ShowMessage(QWidget*, const QString&, const QString&, QMessageBox::Icon,
                           QMessageBox::StandardButtons, QMessageBox::StandardButton);
    friend void Beep();
    friend int RunModal(QDialog&);
    friend QString RunFileDialog(QWidget*, const FileDialogRequest&);
    friend void RequestTermination();

    ScopedSeams* m_previous = nullptr;
    std::vector<QMessageBox::StandardButton> m_answers;
    std::vector<MessageRecord> m_messages;
    std::vector<FileDialogRequest> m_fileDialogs;
    QStringList m_modalRuns;
    int m_beeps = 0;
    int m_terminations = 0;
};

}  // namespace lumex::app
