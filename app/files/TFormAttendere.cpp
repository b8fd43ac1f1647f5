#include "TFormAttendere.h"

#include "LegacyLook.h"
#include "LinkEvent.h"
#include "ui_TFormAttendere.h"

#include <QCoreApplication>

namespace lumex::app {

TFormAttendere::TFormAttendere(QWidget* owner)
    : QDialog(owner, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      ui(std::make_unique<Ui::TFormAttendere>()) {
    ui->setupUi(this);
    setFixedSize(size());
    setFont(LegacyFont(Face::DialogSans, 16, true));
    ui->LabelAttendere->setFont(font());
}

TFormAttendere::~TFormAttendere() = default;

void TFormAttendere::SetText(const QString& text) { ui->LabelAttendere->setText(text); }
QString TFormAttendere::Text() const { return ui->LabelAttendere->text(); }

bool TFormAttendere::event(QEvent* event) {
    if (event->type() == LinkEvent::StateType() && parentWidget()) {
        QCoreApplication::sendEvent(parentWidget(), event);   // the owner shows the state
        return true;
    }
    return QDialog::event(event);
}

}  // namespace lumex::app
