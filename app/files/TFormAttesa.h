#pragma once
// TFormAttesa: the progress window shown while the whole configuration is
// read from the ECU. The creator sets the caption, the message line (Label1)
// and ProgressSuffix, shows it and repaints it; the read then feeds it with
// progress messages (WM_LINK_PROGRESS as LinkEvent), each of which moves the
// bar, rewrites the line under it and repaints at once, because the read
// blocks the user-interface thread. It offers no way to cancel.
//
// Non-modal, owned by the main window. GUI thread only.

#include <QDialog>

#include <memory>

namespace Ui {
class TFormAttesa;
}

namespace lumex::app {

class TFormAttesa : public QDialog {
    Q_OBJECT
public:
    explicit TFormAttesa(QWidget* owner = nullptr);
    ~TFormAttesa() override;

    QString ProgressSuffix;

    void SetMessage(const QString& text);
    // Applies one progress message: relative adds amount, else sets it.
    void ApplyProgress(int amount, bool relative);
    int Position() const;
    QString ProgressLine() const;

protected:
    bool event(QEvent* event) override;

private:
    std::unique_ptr<Ui::TFormAttesa> ui;
};

}  // namespace lumex::app
