#pragma once
// TFormAttendere: the plain "please wait" window of a demo start, where
// nothing is read. Borderless and on top; the creator sets LabelAttendere.
// Non-modal, owned by the main window. GUI thread only.

#include <QDialog>

#include <memory>

namespace Ui {
class TFormAttendere;
}

namespace lumex::app {

class TFormAttendere : public QDialog {
    Q_OBJECT
public:
    explicit TFormAttendere(QWidget* owner = nullptr);
    ~TFormAttendere() override;

    void SetText(const QString& text);
    QString Text() const;

protected:
    bool event(QEvent* event) override;

private:
    std::unique_ptr<Ui::TFormAttendere> ui;
};

}  // namespace lumex::app
